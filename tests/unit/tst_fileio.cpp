#include "core/error.h"
#include "core/fileio.h"
#include "core/profile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

struct stat statOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// Fills the file system holding dir until not one more byte fits.
void fillUp(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir + "/filler").constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

} // namespace

class TestFileIo : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_mount; // a small tmpfs of our own, when we may mount one

    QString file(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString mount = file(QStringLiteral("tmpfs"));
        QDir().mkpath(mount);
        if (::mount("tmpfs", QFile::encodeName(mount).constData(), "tmpfs", 0, "size=256k") == 0)
            m_mount = mount;
    }

    void cleanupTestCase()
    {
        if (!m_mount.isEmpty())
            ::umount(QFile::encodeName(m_mount).constData());
    }

    void fullDiskKeepsOldFile_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("hardLinked"); // written in place rather than replaced
        for (const int size : {1, 4096, 20480}) {
            QTest::addRow("%d bytes, replaced", size) << size << false;
            QTest::addRow("%d bytes, in place", size) << size << true;
        }
    }

    void fullDiskKeepsOldFile()
    {
        QFETCH(int, size);
        QFETCH(bool, hardLinked);
        if (m_mount.isEmpty())
            QSKIP("mounting a small file system needs the superuser");
        QDir(m_mount).removeRecursively();
        QDir().mkpath(m_mount);
        const QString doc = m_mount + "/doc.txt";
        const QByteArray old = "old text\r\nsecond line\r\n";
        put(doc, old);
        if (hardLinked)
            QCOMPARE(::link(QFile::encodeName(doc).constData(), QFile::encodeName(m_mount + "/other").constData()), 0);
        fillUp(m_mount);

        // A new file gets no room at all; rewritten in place, the new text may
        // still fit in the blocks the old one had. Either it is all written
        // or the old bytes stay, and a failure is never reported as success.
        bool failed = false;
        try {
            fileio::save(doc, QByteArray(size, 'n'));
        } catch (const ZarvoError &) {
            failed = true;
        }
        QCOMPARE(bytesOf(doc), failed ? old : QByteArray(size, 'n'));
        QVERIFY(failed || (hardLinked && size <= 4096));
        QStringList left = QDir(m_mount).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QCOMPARE(left, hardLinked ? QStringList({"doc.txt", "filler", "other"})
                                  : QStringList({"doc.txt", "filler"}));
        try {
            fileio::save(doc, QByteArray(8192, 'x'));
            QFAIL("saved on a full disk");
        } catch (const ZarvoError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("нет места")), qPrintable(e.message()));
        }
    }

    void fullDiskSettings()
    {
        if (m_mount.isEmpty())
            QSKIP("mounting a small file system needs the superuser");
        QDir(m_mount).removeRecursively();
        QDir().mkpath(m_mount);
        const QString ini = m_mount + "/Zarvo.ini";
        const QByteArray iniBytes = "[Form1]\r\nTop=1\r\n";
        put(ini, iniBytes);
        fillUp(m_mount);

        QVERIFY(!profile::writeString(ini, QStringLiteral("Form1"), QStringLiteral("Left"), QString(5000, u'x')));
        QCOMPARE(bytesOf(ini), iniBytes);
        QStringList left = QDir(m_mount).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QCOMPARE(left, QStringList({"Zarvo.ini", "filler"}));
    }

    void keepsIdentity_data()
    {
        QTest::addColumn<int>("links");
        QTest::addColumn<uint>("owner");
        QTest::addColumn<uint>("mode");
        QTest::newRow("plain") << 1 << 0u << 0644u;
        QTest::newRow("hard link") << 2 << 0u << 0644u;
        QTest::newRow("another owner") << 1 << 4242u << 0640u;
        QTest::newRow("setuid and setgid, another owner") << 1 << 4242u << 06755u;
        QTest::newRow("hard link, another owner") << 2 << 4242u << 0664u;
    }

    void keepsIdentity()
    {
        QFETCH(int, links);
        QFETCH(uint, owner);
        QFETCH(uint, mode);
        if (owner != 0 && ::geteuid() != 0)
            QSKIP("giving a file another owner needs the superuser");
        const QString doc = file(QStringLiteral("identity.txt")), other = file(QStringLiteral("identity2.txt"));
        QFile::remove(doc);
        QFile::remove(other);
        put(doc, "old");
        if (links == 2)
            QCOMPARE(::link(QFile::encodeName(doc).constData(), QFile::encodeName(other).constData()), 0);
        if (owner != 0)
            QCOMPARE(::chown(QFile::encodeName(doc).constData(), owner, owner), 0);
        QCOMPARE(::chmod(QFile::encodeName(doc).constData(), mode), 0);
        ::setxattr(QFile::encodeName(doc).constData(), "user.zarvo", "kept", 4, 0); // where supported
        const struct stat before = statOf(doc);

        fileio::save(doc, "new content");

        const struct stat after = statOf(doc);
        QCOMPARE(bytesOf(doc), QByteArray("new content"));
        if (links == 2) {
            QCOMPARE(bytesOf(other), QByteArray("new content"));
            QCOMPARE(after.st_ino, before.st_ino);
        }
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(after.st_mode & 07777, before.st_mode & 07777);
        char value[16] = {};
        if (::getxattr(QFile::encodeName(doc).constData(), "user.zarvo", nullptr, 0) >= 0 || errno != ENOTSUP)
            QCOMPARE(::getxattr(QFile::encodeName(doc).constData(), "user.zarvo", value, sizeof value), 4);
        QCOMPARE(QDir(m_dir.path()).entryList({".identity*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    void symbolicLinkFollowed()
    {
        const QString real = file(QStringLiteral("real.txt")), link = file(QStringLiteral("link.txt"));
        put(real, "old");
        QVERIFY(QFile::link(real, link));
        fileio::save(link, "new");
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(real), QByteArray("new"));
    }

    void writableFileInReadOnlyFolder()
    {
        if (::geteuid() != 0)
            QSKIP("needs the superuser to act as another user");
        // As an ordinary user: the folder takes no new file, the file itself is writable.
        const QString folder = file(QStringLiteral("locked"));
        QDir().mkpath(folder);
        const QString doc = folder + "/doc.txt";
        put(doc, "old");
        QCOMPARE(::chown(QFile::encodeName(doc).constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            try {
                fileio::save(doc, "new from a user");
            } catch (const ZarvoError &) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(bytesOf(doc), QByteArray("new from a user"));
        QCOMPARE(statOf(doc).st_uid, uid_t(65534));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("pipe") << "fifo" << QStringLiteral("не обычный файл");
        QTest::newRow("endless device") << "/dev/zero" << QStringLiteral("не обычный файл");
        QTest::newRow("folder") << "dir" << QStringLiteral("папка");
        QTest::newRow("sparse 64 GB") << "sparse" << QStringLiteral("64 ГБ");
    }

    void refusals()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QString path = kind;
        if (kind == "fifo") {
            path = file(QStringLiteral("fifo"));
            QFile::remove(path);
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "dir") {
            path = m_dir.path();
        } else if (kind == "sparse") {
            path = file(QStringLiteral("sparse"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (!f.resize(qint64(64) << 30))
                QSKIP("this file system holds no sparse file of 64 GB");
        }
        QElapsedTimer clock;
        clock.start();
        try {
            fileio::readRegular(path, 2.0);
            QFAIL("read");
        } catch (const ZarvoError &e) {
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QVERIFY(clock.elapsed() < 2000); // refused at once, never read or waited on
    }

    void pipeIsNeverWrittenTo()
    {
        const QString fifo = file(QStringLiteral("out-fifo"));
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY_THROWS_EXCEPTION(ZarvoError, fileio::save(fifo, "x"));
    }

    void diskStates()
    {
        const QString doc = file(QStringLiteral("stamped.txt"));
        put(doc, "one");
        const fileio::FileStamp stamp = fileio::stampOf(doc, "one");
        QCOMPARE(fileio::compare(doc, stamp), fileio::DiskState::Same);

        // Touched only, or replaced by an identical copy: still the same.
        const struct timespec times[2] = {{0, UTIME_OMIT}, {1000000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(doc).constData(), times, 0), 0);
        QCOMPARE(fileio::compare(doc, stamp), fileio::DiskState::Same);
        put(doc + ".new", "one");
        QVERIFY(QFile::remove(doc));
        QVERIFY(QFile::rename(doc + ".new", doc));
        QCOMPARE(fileio::compare(doc, stamp), fileio::DiskState::Same);

        // Same size, other bytes.
        put(doc, "two");
        QCOMPARE(fileio::compare(doc, stamp), fileio::DiskState::Changed);
        QVERIFY(QFile::remove(doc));
        QCOMPARE(fileio::compare(doc, stamp), fileio::DiskState::Missing);
    }
};

QTEST_GUILESS_MAIN(TestFileIo)
#include "tst_fileio.moc"
