#pragma once

#include <QListView>

class QFileSystemModel;
class QSortFilterProxyModel;

// A list of the folders and files in one folder: folders first, each group
// in natural name order, updated by itself when the folder's contents change
// (subfolders are not watched). One item can be selected; the selection stays
// visible when the list loses focus.
class ShellList : public QListView
{
    Q_OBJECT
public:
    explicit ShellList(QWidget *parent = nullptr);

    // The folder shown; the user's desktop (or home) until set.
    QString rootFolder() const { return m_root; }
    void setRootFolder(const QString &path);

    // Full path of the selected item; empty when nothing is selected.
    QString selectedPath() const;
    // Selects the item with this file name in the shown folder (tests, tools);
    // false when it is not (yet) listed.
    bool selectName(const QString &name);

    QFileSystemModel *fileModel() const { return m_model; }
    // The model the view shows: the file model in the list's order.
    QSortFilterProxyModel *sortedModel() const { return m_sorted; }

    // Name order: digit runs compare by their number, the rest without case.
    static int compareNames(const QString &a, const QString &b);

    static QString defaultRoot();

private:
    QFileSystemModel *m_model;
    QSortFilterProxyModel *m_sorted;
    QString m_root;
};
