#pragma once

#include <QDialog>

// The progress window of a dictionary build.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr) : QDialog(parent) {}
};

extern TForm3 *Form3;
