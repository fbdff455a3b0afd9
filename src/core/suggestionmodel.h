#pragma once

#include "core/completion.h"

#include <QAbstractListModel>

// The suggestion list's items: a view over word indices, never copies of
// the words. Replacing the items is one model reset, whatever their number.
class SuggestionModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setMatches(Matches matches) { setItems(SuggestionItems(std::move(matches))); }
    void setItems(SuggestionItems items);
    void clear() { setItems(SuggestionItems()); }
    const Matches &matches() const { return m_items.dictionary(); }

    qsizetype count() const { return m_items.size(); }
    QByteArrayView wordBytes(qsizetype row) const { return m_items.word(row); }
    QString text(qsizetype row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    SuggestionItems m_items;
};
