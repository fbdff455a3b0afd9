#include "controls/dialogs.h"

#include "controls/fontdialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>

#include <utility>

namespace {

class QtDialogs final : public Dialogs
{
public:
    QString openFile(QWidget *parent, const QString &title, const QString &initial) override
    {
        QString path = QFileDialog::getOpenFileName(parent, title, initial);
        noteCommonDialogReturn();
        return path;
    }

    QString saveFile(QWidget *parent, const QString &title, const QString &initial) override
    {
        QString path = QFileDialog::getSaveFileName(parent, title, initial, QString(), nullptr,
                                                    QFileDialog::DontConfirmOverwrite);
        noteCommonDialogReturn();
        return path;
    }

    bool chooseFont(QWidget *parent, QFont &font, QColor &color) override
    {
        const bool ok = FontDialog::choose(parent, font, color);
        noteCommonDialogReturn();
        return ok;
    }

    void message(QWidget *parent, Kind kind, const QString &caption, const QString &text) override
    {
        QMessageBox box(kind == Kind::Information ? QMessageBox::Information : QMessageBox::Critical,
                        caption, text, QMessageBox::Ok, parent);
        box.exec();
    }

    int ask(QWidget *parent, const QString &caption, const QString &text, const QStringList &answers) override
    {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
        QList<QAbstractButton *> buttons;
        for (const QString &answer : answers)
            buttons.append(box.addButton(answer, buttons.isEmpty() ? QMessageBox::AcceptRole
                                                                   : QMessageBox::ActionRole));
        if (!buttons.isEmpty())
            box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
        // Escape closes the question without an answer, which every caller
        // takes as its safest one.
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &box);
        QObject::connect(escape, &QShortcut::activated, &box, [&box] { box.done(-1); });
        box.exec();
        return int(buttons.indexOf(box.clickedButton()));
    }
};

QtDialogs g_qtDialogs;
bool g_commonDialogReturned = false;
Dialogs *g_dialogs = &g_qtDialogs;

QWidget *dialogParent()
{
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

} // namespace

Dialogs &Dialogs::instance()
{
    return *g_dialogs;
}

void Dialogs::install(Dialogs *dialogs)
{
    g_dialogs = dialogs ? dialogs : &g_qtDialogs;
}

bool Dialogs::takeCommonDialogReturn()
{
    return std::exchange(g_commonDialogReturned, false);
}

void Dialogs::noteCommonDialogReturn()
{
    g_commonDialogReturned = true;
}

void showError(const QString &text)
{
    Dialogs::instance().message(dialogParent(), Dialogs::Kind::Error, QStringLiteral("Zarvo"), text);
}

void showInformation(const QString &text)
{
    Dialogs::instance().message(dialogParent(), Dialogs::Kind::Information, QStringLiteral("Zarvo"), text);
}

int askUser(const QString &text, const QStringList &answers)
{
    return Dialogs::instance().ask(dialogParent(), QStringLiteral("Zarvo"), text, answers);
}
