#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

// The one seam through which the program asks the user something in a modal
// dialog. The real answers come from Qt's dialogs; window tests install their
// own Dialogs to answer without a person.
class Dialogs
{
public:
    enum class Kind { Error, Information, Stop };

    virtual ~Dialogs() = default;

    // Empty string: the user cancelled. `initial` is the file chosen last.
    virtual QString openFile(QWidget *parent, const QString &title, const QString &initial) = 0;
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &initial) = 0;
    // True when the user confirmed; font and colour are updated then.
    virtual bool chooseFont(QWidget *parent, QFont &font, QColor &color) = 0;
    virtual void message(QWidget *parent, Kind kind, const QString &caption, const QString &text) = 0;
    // A question with the given answers (button texts, the default first);
    // returns the chosen answer's index, or -1 when the dialog was closed
    // without one (Escape), which callers take as the safest answer.
    virtual int ask(QWidget *parent, const QString &caption, const QString &text,
                    const QStringList &answers) = 0;

    static Dialogs &instance();
    // Replaces the dialogs (tests); null puts the real ones back.
    static void install(Dialogs *dialogs);

    // True once after a file or font dialog has closed: the main window's
    // activation that follows is no return from one of the program's windows.
    static bool takeCommonDialogReturn();
    static void noteCommonDialogReturn();
};

// Shorthands for the message boxes of the program: modal, one OK button.
void showError(const QString &text);
void showInformation(const QString &text);
// A question of the program, with the program's title as caption.
int askUser(const QString &text, const QStringList &answers);
