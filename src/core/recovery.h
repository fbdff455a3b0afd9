#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Recovery files: the text of a document with unsaved edits, kept in the
// user's state folder so that a crash or a killed process loses nothing.
//
// Each running copy of the program owns the files it writes through a lock
// held for as long as it runs; a file whose lock nobody holds is left over
// from a copy that is gone and may be offered for restoring.
namespace recovery {

// $XDG_STATE_HOME/zarvo, by default ~/.local/state/zarvo.
QString folder();

// Files of one document share a key: "untitled", or a digest of the
// document's absolute path.
QString keyFor(const QString &documentPath);

// The file's bytes: a header naming the document, its owner and a digest
// of the text, then the text as UTF-8.
QByteArray encode(const QString &documentPath, QStringView text);

struct Content
{
    QString document; // absolute path; empty for an untitled document
    QString text;
};

// Checks and reads a recovery file's bytes. Nothing (with the reason) when
// the header, the owner or the digest does not match: the text is never
// trusted blindly.
std::optional<Content> decode(const QByteArray &bytes, uint ownerUid, QString *reason);

// Recovery files of a key that no running copy owns, newest first.
QStringList leftOver(const QString &key);

// Untitled ones and those of documents that no longer exist, newest first.
QStringList leftOverOrphans();

// Reads a left-over file; a damaged one is renamed aside (".damaged") and
// the reason returned. Files of another user are never read.
std::optional<Content> take(const QString &file, QString *reason);

// Removes a left-over file and its lock.
void discard(const QString &file);

// Writes this copy's recovery file on a thread of its own, so the editor
// only hands over a snapshot of its text. The newest request wins; a
// removal cancels a pending write.
class Writer
{
public:
    Writer();
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // The raw text may hold U+2029 and U+2028 as line breaks.
    void write(const QString &documentPath, QString rawText);
    void remove();
    // Waits until everything requested so far is done (tests, exit).
    void flush();
    // The file this copy writes for its current document, empty if none.
    QString currentFile() const;
    // False when the state folder cannot be made or written: then there is
    // no point in taking snapshots (asked once).
    bool usable();

private:
    struct Request
    {
        bool remove = false;
        QString document;
        QString raw;
    };
    void run();
    void perform(const Request &request);
    void release();

    std::optional<bool> m_usable;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Request> m_pending;
    bool m_busy = false;
    bool m_stop = false;
    // Owned by the thread.
    QString m_file;
    QString m_key;
    int m_lockFd = -1;
    std::thread m_thread;
};

} // namespace recovery
