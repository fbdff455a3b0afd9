#pragma once

#include "core/suggestions.h"

#include <QAbstractListModel>

// The suggestion list's items: a view over word indices, never copies of
// the words. Replacing the items is one model reset, whatever their number.
class SuggestionModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setMatches(Matches matches);
    void clear() { setMatches(Matches()); }
    const Matches &matches() const { return m_matches; }

    qsizetype count() const { return m_matches.size(); }
    QByteArrayView wordBytes(qsizetype row) const { return m_matches.word(row); }
    QString text(qsizetype row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    Matches m_matches;
};
