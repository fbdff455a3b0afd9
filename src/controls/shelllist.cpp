#include "controls/shelllist.h"

#include <QDir>
#include <QFileSystemModel>
#include <QStandardPaths>

ShellList::ShellList(QWidget *parent) : QListView(parent), m_model(new QFileSystemModel(this))
{
    m_model->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
    m_model->setReadOnly(true);
    setModel(m_model);
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
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return desktop;
    return QDir::homePath();
}

void ShellList::setRootFolder(const QString &path)
{
    m_root = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    setRootIndex(m_model->setRootPath(m_root));
}

QString ShellList::selectedPath() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return QString();
    return m_model->filePath(selected.first());
}

bool ShellList::selectName(const QString &name)
{
    const QModelIndex index = m_model->index(m_root + QLatin1Char('/') + name);
    if (!index.isValid() || index.parent() != rootIndex())
        return false;
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    return true;
}
