#include "core/recovery.h"

#include "core/error.h"
#include "core/fileio.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recovery {
namespace {

constexpr char kMagic[] = "ZARVO-RECOVERY 1";
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

QString text(QString raw)
{
    for (QChar &c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return raw;
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

QByteArray encode(const QString &documentPath, QStringView text)
{
    const QByteArray body = text.toUtf8();
    const QString absolute = documentPath.isEmpty() ? QString() : QFileInfo(documentPath).absoluteFilePath();
    QByteArray out;
    out.reserve(body.size() + 512);
    out.append(kMagic).append('\n');
    out.append("document ").append(absolute.isEmpty() ? QByteArray("-") : QUrl::toPercentEncoding(absolute, "/")).append('\n');
    out.append("uid ").append(QByteArray::number(::getuid())).append('\n');
    out.append("length ").append(QByteArray::number(body.size())).append('\n');
    out.append("blake2b ").append(digest(body)).append('\n');
    out.append('\n');
    out.append(body);
    return out;
}

std::optional<Content> decode(const QByteArray &bytes, uint ownerUid, QString *reason)
{
    auto bad = [&](const char *why) -> std::optional<Content> {
        if (reason)
            *reason = QString::fromUtf8(why);
        return std::nullopt;
    };
    const qsizetype end = bytes.indexOf("\n\n");
    if (!bytes.startsWith(QByteArray(kMagic) + '\n') || end < 0)
        return bad("это не файл восстановления или он обрезан");
    QByteArray document, uid, length, sum;
    for (const QByteArray &line : bytes.left(end).split('\n')) {
        const qsizetype space = line.indexOf(' ');
        const QByteArray name = line.left(space), value = space < 0 ? QByteArray() : line.mid(space + 1);
        if (name == "document")
            document = value;
        else if (name == "uid")
            uid = value;
        else if (name == "length")
            length = value;
        else if (name == "blake2b")
            sum = value;
    }
    bool ok = false;
    if (uid.toUInt(&ok) != ownerUid || !ok)
        return bad("он принадлежит другому пользователю");
    const QByteArray body = bytes.mid(end + 2);
    if (length.toLongLong(&ok) != body.size() || !ok)
        return bad("он обрезан");
    if (digest(body) != sum)
        return bad("он повреждён");
    Content c;
    c.document = document == "-" ? QString() : QString::fromUtf8(QByteArray::fromPercentEncoding(document));
    c.text = QString::fromUtf8(body);
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
        QString reason;
        try {
            const std::optional<Content> c = decode(fileio::readRegular(file, 3.0), ::getuid(), &reason);
            if (c && !c->document.isEmpty() && !QFileInfo::exists(c->document))
                out.append(file);
        } catch (const ZarvoError &) {
        }
    }
    return out;
}

std::optional<Content> take(const QString &file, QString *reason)
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
        c = decode(fileio::readRegular(file, 3.0), ::getuid(), reason);
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

void Writer::write(const QString &documentPath, QString rawText)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = Request{false, documentPath, std::move(rawText)};
    }
    m_wake.notify_all();
}

void Writer::remove()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = Request{true, {}, {}};
    }
    m_wake.notify_all();
}

void Writer::flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_busy; });
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
        m_wake.wait(lock, [this] { return m_stop || m_pending; });
        if (!m_pending) // stopping with nothing left to do
            return;
        Request request = std::move(*m_pending);
        m_pending.reset();
        m_busy = true;
        lock.unlock();
        perform(request);
        lock.lock();
        m_busy = false;
        if (!m_pending)
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
}

void Writer::perform(const Request &request)
{
    if (request.remove) {
        release();
        return;
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
        fileio::save(file, encode(request.document, text(request.raw)));
        ::chmod(QFile::encodeName(file).constData(), 0600); // the user's text, the user's eyes only
    } catch (const ZarvoError &) {
        // A recovery file that cannot be written costs nothing but itself.
    }
}

} // namespace recovery
