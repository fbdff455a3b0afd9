#include "fakedialogs.h"

#include <QTest>

FakeDialogs::FakeDialogs()
{
    Dialogs::install(this);
}

FakeDialogs::~FakeDialogs()
{
    if (&Dialogs::instance() == this)
        Dialogs::install(nullptr);
}

QStringList FakeDialogs::messageTexts() const
{
    QStringList texts;
    for (const Message &m : messages)
        texts << m.text;
    return texts;
}

void FakeDialogs::clearRecords()
{
    messages.clear();
    questions.clear();
    fileRequests.clear();
    fontRequests = 0;
}

QString FakeDialogs::nextFileAnswer()
{
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString FakeDialogs::openFile(QWidget *, const QString &title, const QString &initial)
{
    fileRequests.append({false, title, initial});
    return nextFileAnswer();
}

QString FakeDialogs::saveFile(QWidget *, const QString &title, const QString &initial)
{
    fileRequests.append({true, title, initial});
    return nextFileAnswer();
}

bool FakeDialogs::chooseFont(QWidget *, QFont &font, QColor &color)
{
    ++fontRequests;
    if (!fontConfirms)
        return false;
    font = fontAnswer;
    color = colorAnswer;
    return true;
}

void FakeDialogs::message(QWidget *, Kind kind, const QString &caption, const QString &text)
{
    messages.append({kind, caption, text});
}

int FakeDialogs::ask(QWidget *, const QString &, const QString &text, const QStringList &answers)
{
    questions.append({text, answers});
    return askAnswers.isEmpty() ? -1 : askAnswers.takeFirst();
}

char *toString(const FakeDialogs::Message &message)
{
    static const char *const kinds[] = {"error", "information", "stop"};
    const QString s = QStringLiteral("%1 \"%2\" (%3)")
                          .arg(QLatin1String(kinds[static_cast<int>(message.kind)]), message.text, message.caption);
    return qstrdup(s.toUtf8().constData());
}
