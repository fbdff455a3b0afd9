#pragma once

#include <QDialog>

// Modeless find-and-replace dialog.
class ReplaceDialog : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;
};
