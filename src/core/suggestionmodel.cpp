#include "core/suggestionmodel.h"

#include "core/cp1251.h"

#include <limits>

void SuggestionModel::setItems(SuggestionItems items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

QString SuggestionModel::text(qsizetype row) const
{
    return cp1251::decode(wordBytes(row));
}

int SuggestionModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(qMin<qsizetype>(m_items.size(), std::numeric_limits<int>::max()));
}

QVariant SuggestionModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() != 0)
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row());
    return {};
}
