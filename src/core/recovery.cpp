#include "core/recovery.h"

#include "core/error.h"
#include "core/fileio.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recovery {
namespace {

constexpr char kMagic[] = "ZARVO-RECOVERY 2";
const QString kSuffix = QStringLiteral(".recovery");

QByteArray digest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256).toHex();
}

QString lockFileOf(const QString &file)
{
    return file.chopped(kSuffix.size()) + QStringLiteral(".lock");
}

// True when no running copy holds the file's lock.
bool unowned(const QString &file)
{
    const int fd = ::open(QFile::encodeName(lockFileOf(file)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

QStringList byAge(QStringList files)
{
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return QFileInfo(a).lastModified() > QFileInfo(b).lastModified();
    });
    return files;
}

QStringList allLeftOver(const QString &pattern)
{
    const QDir dir(folder());
    QStringList out;
    for (const QString &name : dir.entryList({pattern}, QDir::Files | QDir::Hidden)) {
        const QString file = dir.filePath(name);
        if (unowned(file))
            out.append(file);
    }
    return byAge(out);
}

} // namespace

QString folder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/zarvo");
}

QString keyFor(const QString &documentPath)
{
    if (documentPath.isEmpty())
        return QStringLiteral("untitled");
    const QString absolute = QFileInfo(documentPath).absoluteFilePath();
    return QString::fromLatin1(
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex().left(20));
}

QByteArray encodeBase(const QString &documentPath, const Base &base)
{
    const QByteArray body = base.kind == Base::Kind::Copy ? base.copy.toUtf8() : QByteArray();
    const QString absolute = documentPath.isEmpty() ? QString() : QFileInfo(documentPath).absoluteFilePath();
    QByteArray out;
    out.reserve(body.size() + 512);
    out.append(kMagic).append('\n');
    out.append("document ").append(absolute.isEmpty() ? QByteArray("-") : QUrl::toPercentEncoding(absolute, "/")).append('\n');
    out.append("uid ").append(QByteArray::number(::getuid())).append('\n');
    switch (base.kind) {
    case Base::Kind::Empty:
        out.append("base empty\n");
        break;
    case Base::Kind::File:
        out.append("base file\n");
        out.append("base-size ").append(QByteArray::number(base.fileSize)).append('\n');
        out.append("base-sha1 ").append(base.fileSha1.toHex()).append('\n');
        break;
    case Base::Kind::Copy:
        out.append("base copy\n");
        break;
    }
    out.append("length ").append(QByteArray::number(body.size())).append('\n');
    out.append("blake2b ").append(digest(body)).append('\n');
    out.append('\n');
    out.append(body);
    return out;
}

namespace {

QByteArray recordDigest(qint64 position, qint64 removed, const QByteArray &body)
{
    const QByteArray head = QByteArray::number(position) + ' ' + QByteArray::number(removed) + ' ';
    return digest(head + body).left(16);
}

} // namespace

QByteArray encodeEdits(const QList<Edit> &edits)
{
    QByteArray out;
    for (const Edit &e : edits) {
        QString inserted = e.inserted;
        for (QChar &c : inserted) {
            if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
                c = QLatin1Char('\n');
        }
        const QByteArray body = inserted.toUtf8();
        out.append("@ ").append(QByteArray::number(e.position)).append(' ').append(QByteArray::number(e.removed));
        out.append(' ').append(QByteArray::number(body.size())).append(' ');
        out.append(recordDigest(e.position, e.removed, body)).append('\n');
        out.append(body).append('\n');
    }
    return out;
}

std::optional<Content> decode(const QByteArray &bytes, uint ownerUid, Decoder fromDisk, QString *reason)
{
    auto bad = [&](const QString &why) -> std::optional<Content> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    const qsizetype end = bytes.indexOf("\n\n");
    if (!bytes.startsWith(QByteArray(kMagic) + '\n') || end < 0)
        return bad(QStringLiteral("это не файл восстановления или он обрезан"));
    QHash<QByteArray, QByteArray> header;
    for (const QByteArray &line : bytes.left(end).split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space > 0)
            header.insert(line.left(space), line.mid(space + 1));
    }
    bool ok = false;
    if (header.value("uid").toUInt(&ok) != ownerUid || !ok)
        return bad(QStringLiteral("он принадлежит другому пользователю"));
    const qint64 length = header.value("length").toLongLong(&ok);
    const qsizetype bodyStart = end + 2;
    if (!ok || length < 0 || bytes.size() - bodyStart < length)
        return bad(QStringLiteral("он обрезан"));
    const QByteArray body = bytes.mid(bodyStart, length);
    if (digest(body) != header.value("blake2b"))
        return bad(QStringLiteral("он повреждён"));

    Content c;
    const QByteArray document = header.value("document");
    c.document = document == "-" ? QString() : QString::fromUtf8(QByteArray::fromPercentEncoding(document));
    const QByteArray base = header.value("base");
    if (base == "copy") {
        c.text = QString::fromUtf8(body);
    } else if (base == "file") {
        if (c.document.isEmpty())
            return bad(QStringLiteral("он повреждён"));
        QByteArray disk;
        try {
            disk = fileio::readRegular(c.document, 6.0);
        } catch (const ZarvoError &) {
            return bad(QStringLiteral("документ на диске больше не прочитать"));
        }
        if (disk.size() != header.value("base-size").toLongLong()
            || QCryptographicHash::hash(disk, QCryptographicHash::Sha1).toHex() != header.value("base-sha1"))
            return bad(QStringLiteral("документ на диске с тех пор изменился"));
        c.text = fromDisk(disk);
    } else if (base != "empty") {
        return bad(QStringLiteral("он повреждён"));
    }

    // The edits, in order. A record cut short at the very end is what a
    // crash during its writing leaves: the text up to it is good.
    qsizetype at = bodyStart + length;
    while (at < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', at);
        const QList<QByteArray> f = bytes.mid(at, nl < 0 ? -1 : nl - at).split(' ');
        bool okPos = false, okRemoved = false, okSize = false;
        const qint64 position = f.value(1).toLongLong(&okPos);
        const qint64 removed = f.value(2).toLongLong(&okRemoved);
        const qint64 size = f.value(3).toLongLong(&okSize);
        const bool whole = nl >= 0 && f.size() == 5 && f[0] == "@" && okPos && okRemoved && okSize && size >= 0
                           && bytes.size() - (nl + 1) >= size + 1;
        if (!whole) {
            if (nl >= 0 && bytes.indexOf("\n@ ", nl) >= 0)
                return bad(QStringLiteral("он повреждён"));
            c.lostEdits = 1;
            break;
        }
        const QByteArray inserted = bytes.mid(nl + 1, size);
        const bool last = nl + 1 + size + 1 >= bytes.size();
        if (recordDigest(position, removed, inserted) != f[4] || bytes.at(nl + 1 + size) != '\n') {
            if (!last)
                return bad(QStringLiteral("он повреждён"));
            c.lostEdits = 1;
            break;
        }
        if (position < 0 || removed < 0 || position + removed > c.text.size())
            return bad(QStringLiteral("он повреждён"));
        c.text.replace(position, removed, QString::fromUtf8(inserted));
        at = nl + 1 + size + 1;
    }
    return c;
}

QStringList leftOver(const QString &key)
{
    return allLeftOver(key + QStringLiteral(".*") + kSuffix);
}

QStringList leftOverOrphans()
{
    QStringList out;
    for (const QString &file : allLeftOver(QStringLiteral("*") + kSuffix)) {
        if (QFileInfo(file).fileName().startsWith(QStringLiteral("untitled."))) {
            out.append(file);
            continue;
        }
        // A named document's file: an orphan when the document is gone.
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.read(65536).split('\n')) {
            if (line.startsWith("document ")) {
                const QByteArray path = line.mid(9);
                if (path != "-" && !QFileInfo::exists(QString::fromUtf8(QByteArray::fromPercentEncoding(path))))
                    out.append(file);
                break;
            }
        }
    }
    return out;
}

std::optional<Content> take(const QString &file, Decoder fromDisk, QString *reason)
{
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0) {
        if (reason)
            *reason = QStringLiteral("он исчез");
        return std::nullopt;
    }
    if (st.st_uid != ::getuid()) {
        if (reason)
            *reason = QStringLiteral("он принадлежит другому пользователю");
        return std::nullopt; // never touched: not ours
    }
    std::optional<Content> c;
    try {
        c = decode(fileio::readRegular(file, 3.0), ::getuid(), fromDisk, reason);
    } catch (const ZarvoError &e) {
        if (reason)
            *reason = e.message();
    }
    if (!c) {
        QFile::remove(file + QStringLiteral(".damaged"));
        QFile::rename(file, file + QStringLiteral(".damaged"));
        QFile::remove(lockFileOf(file));
    }
    return c;
}

void discard(const QString &file)
{
    QFile::remove(file);
    QFile::remove(lockFileOf(file));
}

Writer::Writer()
    : m_thread([this] { run(); })
{
}

Writer::~Writer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    if (m_lockFd >= 0)
        ::close(m_lockFd); // the file stays: it is what a crash would have left, and the exit decides
}

void Writer::start(const QString &documentPath, Base base)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(Request{Request::Kind::Start, documentPath, std::move(base), {}});
    }
    m_wake.notify_all();
}

void Writer::append(QList<Edit> edits)
{
    if (edits.isEmpty())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(Request{Request::Kind::Append, {}, {}, std::move(edits)});
    }
    m_wake.notify_all();
}

void Writer::remove()
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(Request{Request::Kind::Remove, {}, {}, {}});
    }
    m_wake.notify_all();
}

void Writer::flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

QString Writer::currentFile() const
{
    std::lock_guard lock(m_mutex);
    return m_file;
}

bool Writer::usable()
{
    if (!m_usable) {
        const QString dir = folder();
        m_usable = QDir().mkpath(dir) && ::access(QFile::encodeName(dir).constData(), W_OK) == 0;
    }
    return *m_usable;
}

void Writer::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty()) // stopping with nothing left to do
            return;
        Request request = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        perform(request);
        lock.lock();
        m_busy = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

void Writer::release()
{
    QString file;
    {
        std::lock_guard lock(m_mutex);
        file = std::exchange(m_file, QString());
    }
    if (!file.isEmpty())
        discard(file);
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
    m_key.clear();
    m_started = false;
}

void Writer::perform(Request &request)
{
    switch (request.kind) {
    case Request::Kind::Remove:
        release();
        return;
    case Request::Kind::Append: {
        if (!m_started)
            return;
        const QByteArray bytes = encodeEdits(request.edits);
        const int fd = ::open(QFile::encodeName(currentFile()).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        bool ok = fd >= 0;
        for (qsizetype done = 0; ok && done < bytes.size();) {
            const ssize_t w = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (w < 0 && errno == EINTR)
                continue;
            ok = w > 0;
            done += ok ? w : 0;
        }
        if (fd >= 0)
            ::close(fd);
        // A file that could not take the edits no longer tells the text.
        if (!ok) {
            release();
            m_lost = true;
        }
        return;
    }
    case Request::Kind::Start:
        break;
    }
    const QString key = keyFor(request.document);
    if (key != m_key) {
        release();
        const QString dir = folder();
        if (!QDir().mkpath(dir))
            return;
        ::chmod(QFile::encodeName(dir).constData(), 0700);
        const QString file = dir + QLatin1Char('/') + key + QLatin1Char('.') + QString::number(::getpid()) + kSuffix;
        const int fd = ::open(QFile::encodeName(lockFileOf(file)).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        m_lockFd = fd;
        m_key = key;
        std::lock_guard lock(m_mutex);
        m_file = file;
    }
    try {
        const QString file = currentFile();
        fileio::save(file, encodeBase(request.document, request.base));
        ::chmod(QFile::encodeName(file).constData(), 0600); // the user's text, the user's eyes only
        m_started = true;
    } catch (const ZarvoError &) {
        // A recovery file that cannot be written costs nothing but itself.
        m_started = false;
    }
}

} // namespace recovery
