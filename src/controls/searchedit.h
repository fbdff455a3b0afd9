#pragma once

#include <QLineEdit>

// The search field of the search panel.
class SearchEdit : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
};
