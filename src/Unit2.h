#pragma once

#include <QWidget>

class QLineEdit;
class QSpinBox;

// The dictionary window.
class TForm2 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    QLineEdit *Edit1 = nullptr;   // the delimiter specification
    QSpinBox *SpinEdit1 = nullptr; // the minimum word length
};

// Path of the current dictionary; empty when none.
extern QString DicPath;
extern TForm2 *Form2;

// True when c is one of the characters the current delimiter specification stands for.
bool IsDelimiter(QChar c);
