#pragma once

#include <QListView>

// The suggestion list beside the editor.
class SuggestionList : public QListView
{
    Q_OBJECT
public:
    using QListView::QListView;
};
