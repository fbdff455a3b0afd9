#pragma once

#include "controls/dialogs.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

// Answers the program's dialogs without a person and records what was asked.
// Install it for the length of a test:
//     FakeDialogs dialogs;            // installs itself
//     dialogs.fileAnswers << path;    // next open/save dialog returns path
//     ... run the command ...
//     QCOMPARE(dialogs.messageTexts(), QStringList{"..."});
class FakeDialogs : public Dialogs
{
public:
    struct Message
    {
        Kind kind;
        QString caption;
        QString text;
        bool operator==(const Message &other) const = default;
    };

    struct FileRequest
    {
        bool save; // false: open-file dialog
        QString title;
        QString initial;
    };

    // Installs this instance; the destructor puts the real dialogs back.
    FakeDialogs();
    ~FakeDialogs() override;
    FakeDialogs(const FakeDialogs &) = delete;
    FakeDialogs &operator=(const FakeDialogs &) = delete;

    // Answers for the file dialogs, taken from the front; an empty queue
    // answers as a cancelled dialog (empty string).
    QStringList fileAnswers;
    // Answer of the font dialog: when set, the dialog confirms with these.
    bool fontConfirms = false;
    QFont fontAnswer;
    QColor colorAnswer;

    // Answers of questions, taken from the front, as indexes into the
    // offered answers; an empty queue answers -1 (closed with Escape).
    QList<int> askAnswers;
    struct Question
    {
        QString text;
        QStringList answers;
    };
    QList<Question> questions;

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    int fontRequests = 0;

    // The texts of the recorded messages, in order.
    QStringList messageTexts() const;
    // Forgets what was recorded (keeps the queued answers).
    void clearRecords();

    QString openFile(QWidget *parent, const QString &title, const QString &initial) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &initial) override;
    bool chooseFont(QWidget *parent, QFont &font, QColor &color) override;
    void message(QWidget *parent, Kind kind, const QString &caption, const QString &text) override;
    int ask(QWidget *parent, const QString &caption, const QString &text, const QStringList &answers) override;

private:
    QString nextFileAnswer();
};

char *toString(const FakeDialogs::Message &message);
