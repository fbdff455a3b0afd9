#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

// Recovery files: what it takes to rebuild a document's unsaved text after
// a crash or a killed process.
//
// A file names a base text and then lists the edits made since, so that a
// pause in typing costs a few bytes, not a copy of a large document. The
// base is the document's file on disk (checked by size and digest when it
// is used), the empty text of a new document, or a full copy of the text
// held in the file itself (after a reload, a large edit or a change on disk).
//
// Each running copy of the program owns the files it writes through a lock
// held as long as it runs; a file whose lock nobody holds is left over from
// a copy that is gone and may be offered for restoring.
namespace recovery {

// $XDG_STATE_HOME/zarvo, by default ~/.local/state/zarvo.
QString folder();

// Files of one document share a key: "untitled", or a digest of the
// document's absolute path.
QString keyFor(const QString &documentPath);

struct Base
{
    enum class Kind { Empty, File, Copy } kind = Kind::Empty;
    qint64 fileSize = 0;   // File: the document's size and digest as read or saved
    QByteArray fileSha1;   //       (raw bytes, as fileio::FileStamp holds it)
    QString copy;          // Copy: the text itself
};

// One edit: at a position of the text, so many characters removed and this
// text put in their place.
struct Edit
{
    qint64 position = 0;
    qint64 removed = 0;
    QString inserted;
};

// A file's start: header and, for a copied base, the text.
QByteArray encodeBase(const QString &documentPath, const Base &base);
// Records of edits, appended after the start.
QByteArray encodeEdits(const QList<Edit> &edits);

struct Content
{
    QString document; // absolute path; empty for an untitled document
    QString text;
    int lostEdits = 0; // a last record cut short by the crash, left out
};

// Rebuilds the text from a file's bytes. Reads the document's file when
// that is the base. Nothing (with the reason) when the header, the owner,
// the base or the digests do not match: the text is never trusted blindly.
// `fromDisk` turns the document's bytes into its text.
using Decoder = QString (*)(QByteArray bytes);
std::optional<Content> decode(const QByteArray &bytes, uint ownerUid, Decoder fromDisk, QString *reason);

// Recovery files of a key that no running copy owns, newest first.
QStringList leftOver(const QString &key);

// Untitled ones and those of documents that no longer exist, newest first.
QStringList leftOverOrphans();

// Reads a left-over file; a damaged one is renamed aside (".damaged") and
// the reason returned. Files of another user are never read.
std::optional<Content> take(const QString &file, Decoder fromDisk, QString *reason);

// Removes a left-over file and its lock.
void discard(const QString &file);

// Writes this copy's recovery file on a thread of its own; the editor only
// hands over what changed. Requests are carried out in order.
class Writer
{
public:
    Writer();
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // Starts the file anew for a document (an empty path: untitled).
    void start(const QString &documentPath, Base base);
    // Adds edits to the file started last.
    void append(QList<Edit> edits);
    void remove();
    // Waits until everything requested so far is done (tests).
    void flush();
    // The file this copy writes for its current document, empty if none.
    QString currentFile() const;
    // False when the state folder cannot be made or written: then there is
    // no point in keeping track (asked once).
    bool usable();
    // True once after the file could not take edits and was dropped: the
    // caller starts it anew from a full copy of the text.
    bool takeLost() { return m_lost.exchange(false); }

private:
    struct Request
    {
        enum class Kind { Start, Append, Remove } kind;
        QString document;
        Base base;
        QList<Edit> edits;
    };
    void run();
    void perform(Request &request);
    void release();

    std::optional<bool> m_usable;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Request> m_queue;
    bool m_busy = false;
    std::atomic<bool> m_lost{false};
    bool m_stop = false;
    QString m_file; // guarded by m_mutex
    // Owned by the thread.
    QString m_key;
    int m_lockFd = -1;
    bool m_started = false;
    std::thread m_thread;
};

} // namespace recovery
