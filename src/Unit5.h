#pragma once

#include <QDialog>

// The About window.
class TForm5 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr) : QDialog(parent) {}
};

extern TForm5 *Form5;
