#include "controls/shelllist.h"

#include <QDir>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QStandardPaths>

namespace {

// Folders first, then the name order of compareNames; kept sorted as the
// folder changes.
class NameOrder final : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        const auto *files = static_cast<const QFileSystemModel *>(sourceModel());
        const bool leftDir = files->isDir(left);
        if (leftDir != files->isDir(right))
            return leftDir;
        return ShellList::compareNames(files->fileName(left), files->fileName(right)) < 0;
    }
};

} // namespace

int ShellList::compareNames(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype ie = i, je = j;
            while (ie < a.size() && a.at(ie).isDigit())
                ++ie;
            while (je < b.size() && b.at(je).isDigit())
                ++je;
            // Compare the runs as numbers of any length: without leading zeros,
            // the longer is the larger; equal lengths compare digit by digit.
            qsizetype is = i, js = j;
            while (is + 1 < ie && a.at(is) == QLatin1Char('0'))
                ++is;
            while (js + 1 < je && b.at(js) == QLatin1Char('0'))
                ++js;
            if (ie - is != je - js)
                return ie - is < je - js ? -1 : 1;
            const int c = QStringView(a).sliced(is, ie - is).compare(QStringView(b).sliced(js, je - js));
            if (c != 0)
                return c;
            i = ie;
            j = je;
            continue;
        }
        const QChar ca = a.at(i).toCaseFolded();
        const QChar cb = b.at(j).toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b); // names that differ only in case or leading zeros
}

ShellList::ShellList(QWidget *parent)
    : QListView(parent), m_model(new QFileSystemModel(this)), m_sorted(new NameOrder(this))
{
    m_model->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
    m_model->setReadOnly(true);
    m_sorted->setSourceModel(m_model);
    m_sorted->setDynamicSortFilter(true);
    m_sorted->sort(0);
    setModel(m_sorted);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);

    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    setRootFolder(defaultRoot());
}

QString ShellList::defaultRoot()
{
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return desktop;
    return QDir::homePath();
}

void ShellList::setRootFolder(const QString &path)
{
    m_root = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    setRootIndex(m_sorted->mapFromSource(m_model->setRootPath(m_root)));
}

QString ShellList::selectedPath() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return QString();
    return m_model->filePath(m_sorted->mapToSource(selected.first()));
}

bool ShellList::selectName(const QString &name)
{
    const QModelIndex index = m_sorted->mapFromSource(m_model->index(m_root + QLatin1Char('/') + name));
    if (!index.isValid() || index.parent() != rootIndex())
        return false;
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    return true;
}
