#include "Unit2.h"

#include <QLineEdit>
#include <QSpinBox>

QString DicPath;
TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Window), Edit1(new QLineEdit(this)), SpinEdit1(new QSpinBox(this))
{
    Edit1->setText(QStringLiteral("+-*/;.\" ',!?()[]{}^p^t"));
    SpinEdit1->setRange(0, 20);
    SpinEdit1->setValue(4);
}

bool IsDelimiter(QChar c)
{
    (void)c;
    return false;
}
