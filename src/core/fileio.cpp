#include "core/fileio.h"

#include "core/error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fileio {
namespace {

QString reasonOf(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("на диске нет места");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав доступа");
    case EROFS:
        return QStringLiteral("файловая система доступна только для чтения");
    case ENOENT:
        return QStringLiteral("нет такого файла или папки");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

[[noreturn]] void fail(const QString &what, const QString &path, const QString &reason)
{
    throw ZarvoError(QStringLiteral("%1 \"%2\": %3").arg(what, path, reason));
}

QString openFailure() { return QStringLiteral("Не удаётся открыть файл"); }
QString readFailure() { return QStringLiteral("Не удаётся прочитать файл"); }
QString writeFailure() { return QStringLiteral("Не удаётся записать файл"); }

QString humanSize(qint64 bytes)
{
    const char *units[] = {"байт", "КБ", "МБ", "ГБ", "ТБ"};
    double value = double(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    return unit == 0 ? QStringLiteral("%1 байт").arg(bytes)
                     : QStringLiteral("%1 %2").arg(value, 0, 'f', value < 10 ? 1 : 0).arg(QString::fromUtf8(units[unit]));
}

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    // Closes and reports the close's own failure (NFS and some others report
    // a failed write-back only here).
    bool close()
    {
        const int fd = release();
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char *p, qint64 n, qint64 offset = -1)
{
    while (n > 0) {
        const size_t step = size_t(qMin<qint64>(n, 1 << 30));
        const ssize_t w = offset < 0 ? ::write(fd, p, step) : ::pwrite(fd, p, step, offset);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0) {
            errno = ENOSPC;
            return false;
        }
        p += w;
        n -= w;
        if (offset >= 0)
            offset += w;
    }
    return true;
}

bool readAll(int fd, QByteArray &out, qint64 expected)
{
    out.clear();
    out.reserve(expected + 1);
    qint64 used = 0;
    for (;;) {
        if (out.size() - used < 65536)
            out.resize(qMax<qint64>(used + 65536, used + (used >> 1)));
        const ssize_t r = ::read(fd, out.data() + used, size_t(out.size() - used));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0)
            break;
        used += r;
    }
    out.resize(used);
    return true;
}

QByteArray digestOf(const QByteArray &content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha1);
}

// Follows symbolic links to the file that is really written; a dangling
// link names the file to create.
QString resolveLinks(const QString &path)
{
    QString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            return current;
        current = target;
    }
    return current;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Gives the new file the old one's owner, group, mode and extended
// attributes (ACLs among them). False when any of them cannot be kept.
bool copyIdentity(int from, int to, const struct stat &st)
{
    if (::fchown(to, st.st_uid, st.st_gid) != 0)
        return false;
    // After the chown, which clears setuid and setgid.
    if (::fchmod(to, st.st_mode & 07777) != 0)
        return false;
    const ssize_t listSize = ::flistxattr(from, nullptr, 0);
    if (listSize < 0)
        return errno == ENOTSUP;
    if (listSize == 0)
        return true;
    QByteArray names(listSize, Qt::Uninitialized);
    const ssize_t got = ::flistxattr(from, names.data(), size_t(names.size()));
    if (got < 0)
        return false;
    for (const QByteArray &name : names.left(got).split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t valueSize = ::fgetxattr(from, name.constData(), nullptr, 0);
        if (valueSize < 0)
            return false;
        QByteArray value(valueSize, Qt::Uninitialized);
        if (::fgetxattr(from, name.constData(), value.data(), size_t(value.size())) != valueSize
            || ::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    return true;
}

void syncFolder(const QString &file)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

enum class Replaced { Done, NotPossible };

// A new file beside the target, renamed over it. NotPossible when the folder
// takes no new file or the old file's identity cannot be carried over; the
// old file is then untouched and the caller writes in place.
Replaced replaceByRename(const QString &target, const QByteArray &bytes, const struct stat *old)
{
    const QFileInfo info(target);
    QByteArray pattern = QFile::encodeName(info.absolutePath() + QStringLiteral("/.")
                                           + info.fileName() + QStringLiteral(".zarvo-XXXXXX"));
    Fd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        const int error = errno;
        if (old && (error == EACCES || error == EPERM || error == EROFS))
            return Replaced::NotPossible;
        fail(writeFailure(), target, reasonOf(error));
    }
    const char *tempPath = pattern.constData();
    auto discard = [&](int error) {
        fd.reset();
        ::unlink(tempPath);
        fail(writeFailure(), target, reasonOf(error));
    };
    if (old) {
        Fd from(::open(QFile::encodeName(target).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (from.get() < 0 || !copyIdentity(from.get(), fd.get(), *old)) {
            fd.reset();
            ::unlink(tempPath);
            return Replaced::NotPossible;
        }
    } else if (::fchmod(fd.get(), 0666 & ~currentUmask()) != 0) {
        discard(errno);
    }
    if (!writeAll(fd.get(), bytes.constData(), bytes.size()) || ::fsync(fd.get()) != 0)
        discard(errno);
    if (!fd.close()) {
        const int error = errno;
        ::unlink(tempPath);
        fail(writeFailure(), target, reasonOf(error));
    }
    if (::rename(tempPath, QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        ::unlink(tempPath);
        fail(writeFailure(), target, reasonOf(error));
    }
    syncFolder(target);
    return Replaced::Done;
}

// Rewrites the file's content through its own descriptor, so links, owner,
// mode and attributes stay. The new content goes to a safety copy in the
// temporary folder first; the old content is held and written back if any
// step fails.
void rewriteInPlace(const QString &target, const QByteArray &bytes)
{
    Fd fd(::open(QFile::encodeName(target).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        fail(writeFailure(), target, reasonOf(errno));
    struct stat st {};
    QByteArray old;
    if (::fstat(fd.get(), &st) != 0 || !readAll(fd.get(), old, st.st_size))
        fail(writeFailure(), target, reasonOf(errno));

    QByteArray copyPath = QFile::encodeName(QDir::tempPath() + QStringLiteral("/zarvo-save-XXXXXX"));
    Fd copy(::mkostemp(copyPath.data(), O_CLOEXEC));
    if (copy.get() < 0)
        fail(writeFailure(), target, QStringLiteral("не удаётся создать страховочную копию: ") + reasonOf(errno));
    const bool copied = writeAll(copy.get(), bytes.constData(), bytes.size()) && ::fsync(copy.get()) == 0
                        && copy.close();
    if (!copied) {
        const int error = errno;
        ::unlink(copyPath.constData());
        fail(writeFailure(), target, QStringLiteral("не удаётся создать страховочную копию: ") + reasonOf(error));
    }

    // Claim the room first where the file system can, so a full disk is found
    // before a single byte of the file changes.
    bool ok = true;
    if (bytes.size() > old.size()) {
        const int r = ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, bytes.size());
        ok = r == 0 || errno == EOPNOTSUPP || errno == ENOSYS;
    }
    ok = ok && writeAll(fd.get(), bytes.constData(), bytes.size(), 0)
         && ::ftruncate(fd.get(), bytes.size()) == 0 && ::fsync(fd.get()) == 0;
    if (!ok) {
        const int error = errno;
        // Puts the old content back; it fits, since it was there before.
        const bool restored = writeAll(fd.get(), old.constData(), old.size(), 0)
                              && ::ftruncate(fd.get(), old.size()) == 0 && ::fsync(fd.get()) == 0;
        ::unlink(copyPath.constData());
        fail(writeFailure(), target,
             restored ? reasonOf(error)
                      : reasonOf(error) + QStringLiteral("; прежнее содержимое восстановить не удалось"));
    }
    if (!fd.close()) {
        const int error = errno;
        ::unlink(copyPath.constData());
        fail(writeFailure(), target, reasonOf(error));
    }
    ::unlink(copyPath.constData());
}

void writeDevice(const QString &target, const QByteArray &bytes)
{
    Fd fd(::open(QFile::encodeName(target).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0 || !writeAll(fd.get(), bytes.constData(), bytes.size()) || !fd.close())
        fail(writeFailure(), target, reasonOf(errno));
}

} // namespace

FileStamp stampOf(const QString &path, const QByteArray &content)
{
    FileStamp s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.valid = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.digest = digestOf(content);
    return s;
}

DiskState compare(const QString &path, const FileStamp &stamp)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return DiskState::Missing;
    if (!stamp.valid)
        return DiskState::Changed;
    const qint64 mtime = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (st.st_dev == stamp.device && st.st_ino == stamp.inode && st.st_size == stamp.size
        && mtime == stamp.mtimeNs)
        return DiskState::Same;
    if (st.st_size != stamp.size || !S_ISREG(st.st_mode))
        return DiskState::Changed;
    try {
        return digestOf(readRegular(path)) == stamp.digest ? DiskState::Same : DiskState::Changed;
    } catch (const ZarvoError &) {
        return DiskState::Changed;
    }
}

qint64 availableMemory()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return std::numeric_limits<qint64>::max();
    qint64 total = 0;
    bool found = false;
    for (const QByteArray &line : meminfo.readAll().split('\n')) {
        if (line.startsWith("MemAvailable:") || line.startsWith("SwapFree:")) {
            total += line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toLongLong() * 1024;
            found = true;
        }
    }
    return found ? total : std::numeric_limits<qint64>::max();
}

int openRegular(const QString &path, qint64 *size, double bytesPerByte)
{
    // Non-blocking, so that opening a pipe with no writer returns at once.
    Fd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        fail(openFailure(), path, reasonOf(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        fail(openFailure(), path, reasonOf(errno));
    if (S_ISDIR(st.st_mode))
        fail(openFailure(), path, QStringLiteral("это папка"));
    if (!S_ISREG(st.st_mode))
        fail(openFailure(), path, QStringLiteral("это не обычный файл, а канал, сокет или устройство"));
    const double needed = double(st.st_size) * bytesPerByte;
    const qint64 available = availableMemory();
    if (needed > double(available))
        fail(openFailure(), path,
             QStringLiteral("файл размером %1 не поместится в памяти (свободно %2)")
                 .arg(humanSize(st.st_size), humanSize(available)));
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    if (size)
        *size = st.st_size;
    return fd.release();
}

QByteArray readRegular(const QString &path, double bytesPerByte)
{
    qint64 size = 0;
    Fd fd(openRegular(path, &size, bytesPerByte));
    QByteArray bytes;
    if (!readAll(fd.get(), bytes, size))
        fail(readFailure(), path, reasonOf(errno));
    return bytes;
}

void save(const QString &path, const QByteArray &bytes)
{
    const QString target = resolveLinks(path);
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) != 0) {
        if (errno != ENOENT)
            fail(writeFailure(), path, reasonOf(errno));
        replaceByRename(target, bytes, nullptr);
        return;
    }
    if (S_ISDIR(st.st_mode))
        fail(writeFailure(), path, QStringLiteral("это папка"));
    // No write bit at all counts as read-only even for the superuser, as the
    // read-only attribute does on Windows.
    if (!(st.st_mode & 0222) || ::access(QFile::encodeName(target).constData(), W_OK) != 0)
        fail(writeFailure(), path, QStringLiteral("файл только для чтения"));
    if (S_ISCHR(st.st_mode)) {
        writeDevice(target, bytes);
        return;
    }
    if (!S_ISREG(st.st_mode))
        fail(writeFailure(), path, QStringLiteral("это не обычный файл, а канал, сокет или устройство"));
    if (st.st_nlink == 1 && replaceByRename(target, bytes, &st) == Replaced::Done)
        return;
    rewriteInPlace(target, bytes);
}

} // namespace fileio
