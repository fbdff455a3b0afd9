#include "Unit1.h"

#include "controls/dialogs.h"
#include "controls/editor.h"
#include "controls/errorreport.h"

#include <QFileInfo>
#include <QTimer>

namespace {

// The recovery file is written this long after the last edit, and at the
// latest this long after the first edit it does not yet hold: a snapshot
// of a large text costs tens of milliseconds, so it is taken in pauses.
constexpr int kIdleMs = 1000;
constexpr int kDeadlineMs = 30000;

} // namespace

void TForm1::setupRecovery()
{
    m_recovery = std::make_unique<recovery::Writer>();
    m_recoveryIdle = new QTimer(this);
    m_recoveryIdle->setSingleShot(true);
    m_recoveryIdle->setInterval(kIdleMs);
    m_recoveryDeadline = new QTimer(this);
    m_recoveryDeadline->setSingleShot(true);
    m_recoveryDeadline->setInterval(kDeadlineMs);
    connect(m_recoveryIdle, &QTimer::timeout, this, [this] { snapshotForRecovery(); });
    connect(m_recoveryDeadline, &QTimer::timeout, this, [this] { snapshotForRecovery(); });

    QTextDocument *doc = RichEdit1->document();
    connect(doc, &QTextDocument::contentsChanged, this, [this] {
        if (!RichEdit1->document()->isModified())
            return;
        m_recoveryIdle->start();
        if (!m_recoveryDeadline->isActive())
            m_recoveryDeadline->start();
    });
    // Saved, or undone back to the saved text: nothing left to recover.
    connect(doc, &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (modified)
            return;
        m_recoveryIdle->stop();
        m_recoveryDeadline->stop();
        m_recovery->remove();
    });
}

void TForm1::snapshotForRecovery()
{
    m_recoveryIdle->stop();
    m_recoveryDeadline->stop();
    if (!RichEdit1->document()->isModified() || !m_recovery->usable())
        return;
    // Only the copy is made here; conversion and writing run on the writer's thread.
    m_recovery->write(FileName, RichEdit1->document()->toRawText());
}

bool TForm1::confirmDiscard()
{
    if (!RichEdit1->document()->isModified())
        return true;
    const QString name = FileName.isEmpty() ? QStringLiteral("Без имени") : FileName;
    const int answer = askUser(QStringLiteral("Документ «%1» изменён. Сохранить изменения?").arg(name),
                               {QStringLiteral("Сохранить"), QStringLiteral("Не сохранять"),
                                QStringLiteral("Отмена")});
    if (answer == 0)
        return saveCommand();
    if (answer == 1) {
        m_recoveryIdle->stop();
        m_recoveryDeadline->stop();
        m_recovery->remove();
        return true;
    }
    return false;
}

bool TForm1::restoreFrom(const QString &file)
{
    QString reason;
    const std::optional<recovery::Content> content = recovery::take(file, &reason);
    if (!content) {
        showError(QStringLiteral("Файл восстановления «%1» не прочитан (%2) и отложен в сторону.")
                      .arg(file, reason));
        return false;
    }
    // Over the text on disk as one undoable step: Ctrl+Z goes back to the saved file.
    RichEdit1->replaceAllText(content->text, 0);
    RichEdit1->setSelStart(0);
    recovery::discard(file);
    // Written again by this copy from now on.
    m_recovery->write(FileName, RichEdit1->document()->toRawText());
    return true;
}

void TForm1::offerRecovery(const QString &key)
{
    const QStringList files = recovery::leftOver(key);
    if (files.isEmpty())
        return;
    const QString file = files.first();
    const QString name = FileName.isEmpty() ? QStringLiteral("Без имени") : FileName;
    const QString when = QFileInfo(file).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    const int answer = askUser(QStringLiteral("Найдены несохранённые изменения документа «%1» (сохранены "
                                              "для восстановления %2). Восстановить их?")
                                   .arg(name, when),
                               {QStringLiteral("Восстановить"), QStringLiteral("Удалить")});
    if (answer == 0)
        restoreFrom(file);
    else if (answer == 1)
        recovery::discard(file);
}

void TForm1::offerOrphanRecovery()
{
    const QStringList files = recovery::leftOverOrphans();
    if (files.isEmpty())
        return;
    const QString file = files.first();
    QString reason;
    // The document it belongs to (gone from disk) or none: read it once to name it.
    const std::optional<recovery::Content> content = recovery::take(file, &reason);
    if (!content) {
        showError(QStringLiteral("Файл восстановления «%1» не прочитан (%2) и отложен в сторону.")
                      .arg(file, reason));
        return;
    }
    const QString name = content->document.isEmpty() ? QStringLiteral("Без имени") : content->document;
    const QString when = QFileInfo(file).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    const int answer = askUser(QStringLiteral("Найдены несохранённые изменения документа «%1» (сохранены "
                                              "для восстановления %2). Восстановить их?")
                                   .arg(name, when),
                               {QStringLiteral("Восстановить"), QStringLiteral("Удалить")});
    if (answer == 1) {
        recovery::discard(file);
        return;
    }
    if (answer != 0)
        return;
    if (!content->document.isEmpty()) {
        FileName = content->document; // saving recreates it
        updateCaption();
    }
    restoreFrom(file);
}
