#include "controls/errorreport.h"

#include "controls/dialogs.h"

#include <QApplication>

QString reportText(const QString &message)
{
    if (message.endsWith(QLatin1Char('.')))
        return message;
    return message + QLatin1Char('.');
}

void showErrorReport(const QString &message)
{
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    Dialogs::instance().message(parent, Dialogs::Kind::Stop, QStringLiteral("Zarvo"), reportText(message));
}
