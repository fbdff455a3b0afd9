#include "Unit1.h"

#include "controls/dialogs.h"
#include "controls/editor.h"
#include "controls/errorreport.h"
#include "core/document.h"

#include <QFileInfo>
#include <QTextBlock>
#include <QTimer>

#include <utility>

namespace {

// The recovery file is written this long after the last edit, and at the
// latest this long after the first edit it does not yet hold: a snapshot
// of a large text costs tens of milliseconds, so it is taken in pauses.
constexpr int kIdleMs = 1000;
constexpr int kDeadlineMs = 30000;
// Edits larger than this, or more than this many characters of edits
// between two pauses, are kept as a copy of the whole text instead.
constexpr int kMaxEditChars = 1 << 16;
constexpr qint64 kMaxPendingChars = 1 << 20;

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
    connect(doc, &QTextDocument::contentsChange, this, [this](int from, int removed, int added) {
        noteEditForRecovery(from, removed, added);
    });
    // Saved, or undone back to the saved text: nothing left to recover.
    connect(doc, &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (!modified)
            resetRecovery();
    });
    resetRecovery();
}

void TForm1::resetRecovery()
{
    m_recoveryIdle->stop();
    m_recoveryDeadline->stop();
    m_recoveryEdits.clear();
    m_recoveryEditChars = 0;
    m_recoveryStarted = false;
    // The unmodified text is the file as read or saved, or an empty document;
    // after a change on disk that the editor kept away from, it is neither.
    // A file read in an encoding the user chose is not what reading it anew would give.
    m_recoveryNeedsCopy =
        (!m_diskStamp.valid && !FileName.isEmpty()) || m_diskToldOf.valid || m_diskGoneTold || m_encodingForced;
    m_recovery->remove();
}

void TForm1::noteEditForRecovery(int from, int removed, int added)
{
    QTextDocument *doc = RichEdit1->document();
    // The document's last, implicit paragraph end is not text; Qt counts it
    // in some changes at the end.
    const int length = doc->characterCount() - 1;
    if (from + added > length) {
        const int over = from + added - length;
        added -= over;
        removed = qMax(0, removed - over);
    }
    if (m_recoveryNeedsCopy || added > kMaxEditChars || m_recoveryEditChars > kMaxPendingChars) {
        // A large change is kept as a copy of the whole text at the next pause.
        m_recoveryNeedsCopy = true;
        m_recoveryEdits.clear();
        m_recoveryEditChars = 0;
    } else {
        QString inserted;
        if (added > 0) {
            QTextCursor c(doc);
            c.setPosition(from);
            c.setPosition(from + added, QTextCursor::KeepAnchor);
            inserted = c.selectedText();
        }
        // Typing and erasing at the end of the last edit extend it.
        recovery::Edit *last = m_recoveryEdits.isEmpty() ? nullptr : &m_recoveryEdits.last();
        const qint64 lastEnd = last ? last->position + last->inserted.size() : -1;
        if (last && removed == 0 && from == lastEnd) {
            last->inserted += inserted;
        } else if (last && added == 0 && removed <= last->inserted.size() && from + removed == lastEnd) {
            last->inserted.chop(removed);
        } else {
            m_recoveryEdits.append({from, removed, inserted});
        }
        m_recoveryEditChars += inserted.size() + 1;
    }
    if (!doc->isModified())
        return;
    m_recoveryIdle->start();
    if (!m_recoveryDeadline->isActive())
        m_recoveryDeadline->start();
}

void TForm1::snapshotForRecovery()
{
    m_recoveryIdle->stop();
    m_recoveryDeadline->stop();
    if (!RichEdit1->document()->isModified() || !m_recovery->usable())
        return;
    if (m_recovery->takeLost()) {
        m_recoveryNeedsCopy = true;
        m_recoveryStarted = false;
    }
    if (m_recoveryNeedsCopy) {
        // The copy is taken here; converting and writing it runs on the writer's thread.
        recovery::Base base;
        base.kind = recovery::Base::Kind::Copy;
        base.copy = RichEdit1->document()->toRawText();
        m_recovery->start(FileName, std::move(base));
        m_recoveryNeedsCopy = false;
        m_recoveryStarted = true;
        m_recoveryEdits.clear();
        m_recoveryEditChars = 0;
        return;
    }
    if (!m_recoveryStarted) {
        recovery::Base base;
        if (m_diskStamp.valid && !FileName.isEmpty()) {
            base.kind = recovery::Base::Kind::File;
            base.fileSize = m_diskStamp.size;
            base.fileSha1 = m_diskStamp.digest;
        }
        m_recovery->start(FileName, std::move(base));
        m_recoveryStarted = true;
    }
    m_recovery->append(std::exchange(m_recoveryEdits, {}));
    m_recoveryEditChars = 0;
}

QString TForm1::recoveryFile()
{
    m_recovery->flush();
    return m_recovery->currentFile();
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
        resetRecovery();
        return true;
    }
    return false;
}

bool TForm1::restoreFrom(const QString &file)
{
    QString reason;
    const std::optional<recovery::Content> content = recovery::take(file, &document::fromBytes, &reason);
    if (!content) {
        showError(QStringLiteral("Файл восстановления «%1» не прочитан (%2) и отложен в сторону.")
                      .arg(file, reason));
        return false;
    }
    // Over the text on disk as one undoable step: Ctrl+Z goes back to the saved file.
    RichEdit1->replaceAllText(content->text, 0);
    RichEdit1->setSelStart(0);
    recovery::discard(file);
    // Kept by this copy from now on, starting from a full copy.
    m_recoveryNeedsCopy = true;
    snapshotForRecovery();
    return true;
}

void TForm1::offerRecovery(const QString &key)
{
    const QStringList files = recovery::leftOver(key);
    if (files.isEmpty())
        return;
    const QString &file = files.first();
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
    const QString &file = files.first();
    QString reason;
    // The document it belongs to (gone from disk) or none: read it once to name it.
    const std::optional<recovery::Content> content = recovery::take(file, &document::fromBytes, &reason);
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
