#include "core/recovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString stateFolder() const { return m_dir.filePath(QStringLiteral("state/zarvo")); }

private slots:
    void init()
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("state"))));
        QDir(stateFolder()).removeRecursively();
    }

    void folderFollowsXdg()
    {
        QCOMPARE(recovery::folder(), stateFolder());
        qputenv("XDG_STATE_HOME", "relative/is/ignored");
        QCOMPARE(recovery::folder(), QDir::homePath() + QStringLiteral("/.local/state/zarvo"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("text");
        QTest::newRow("untitled, empty") << QString() << QString();
        QTest::newRow("named, Russian lines") << m_dir.filePath("Документ 1.txt") << QStringLiteral("Привет\nмир\n");
        QTest::newRow("text that looks like a header") << m_dir.filePath("a.txt")
                                                       << QStringLiteral("\n\nZARVO-RECOVERY 1\nlength 0\n");
    }
    void roundTrip()
    {
        QFETCH(QString, document);
        QFETCH(QString, text);
        QString reason;
        const auto c = recovery::decode(recovery::encode(document, text), ::getuid(), &reason);
        QVERIFY2(c, qPrintable(reason));
        QCOMPARE(c->document, document);
        QCOMPARE(c->text, text);
    }

    void damagedDataIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray good = recovery::encode(QStringLiteral("/x/doc.txt"), QStringLiteral("some text"));
        QTest::newRow("truncated text") << good.chopped(3) << QStringLiteral("обрезан");
        QTest::newRow("truncated header") << good.left(20) << QStringLiteral("обрезан");
        QByteArray flipped = good;
        flipped[flipped.size() - 2] = 'X';
        QTest::newRow("one byte changed") << flipped << QStringLiteral("повреждён");
        QTest::newRow("another user's") << QByteArray(good).replace("uid ", "uid 9") << QStringLiteral("другому");
        QTest::newRow("not a recovery file") << QByteArray("hello\n\nworld") << QStringLiteral("не файл");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("не файл");
    }
    void damagedDataIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QString why;
        QVERIFY(!recovery::decode(bytes, ::getuid(), &why));
        QVERIFY2(why.contains(reason), qPrintable(why));
    }

    void writerWritesRemovesAndFollowsTheDocument()
    {
        const QString doc = m_dir.filePath(QStringLiteral("doc.txt"));
        recovery::Writer writer;
        writer.write(doc, QStringLiteral("one\u2029two\u2028three"));
        writer.flush();
        const QString file = writer.currentFile();
        QVERIFY(file.startsWith(stateFolder() + QLatin1Char('/') + recovery::keyFor(doc)));
        QString reason;
        const auto c = recovery::decode(bytesOf(file), ::getuid(), &reason);
        QVERIFY2(c, qPrintable(reason));
        QCOMPARE(c->text, QStringLiteral("one\ntwo\nthree"));
        QCOMPARE(QFile::permissions(file) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());
        // This copy owns it: it is no left-over while we run.
        QVERIFY(recovery::leftOver(recovery::keyFor(doc)).isEmpty());

        // Saved under another name: the old document's file goes.
        const QString other = m_dir.filePath(QStringLiteral("other.txt"));
        writer.write(other, QStringLiteral("x"));
        writer.flush();
        QVERIFY(!QFile::exists(file));
        QVERIFY(QFile::exists(writer.currentFile()));
        writer.remove();
        writer.flush();
        QCOMPARE(QDir(stateFolder()).entryList(QDir::Files), QStringList());
    }

    void leftOverFilesAndOwners()
    {
        const QString doc = m_dir.filePath(QStringLiteral("kept.txt"));
        put(doc, "on disk");
        QDir().mkpath(stateFolder());
        const QString key = recovery::keyFor(doc);
        const QString dead = stateFolder() + QLatin1Char('/') + key + QStringLiteral(".1.recovery");
        const QString live = stateFolder() + QLatin1Char('/') + key + QStringLiteral(".2.recovery");
        put(dead, recovery::encode(doc, QStringLiteral("dead copy's text")));
        put(live, recovery::encode(doc, QStringLiteral("live copy's text")));
        // Another running copy holds the second file's lock.
        const int lock = ::open(QFile::encodeName(stateFolder() + QLatin1Char('/') + key + ".2.lock").constData(),
                                O_RDWR | O_CREAT, 0600);
        QVERIFY(lock >= 0);
        QCOMPARE(::flock(lock, LOCK_EX), 0);
        QCOMPARE(recovery::leftOver(key), QStringList{dead});
        // A named document that still exists is no orphan; an untitled one and a vanished one are.
        QVERIFY(recovery::leftOverOrphans().isEmpty());
        const QString untitled = stateFolder() + QStringLiteral("/untitled.3.recovery");
        put(untitled, recovery::encode(QString(), QStringLiteral("untitled text")));
        const QString gone = stateFolder() + QLatin1Char('/') + recovery::keyFor("/nowhere/x.txt") + ".4.recovery";
        put(gone, recovery::encode(QStringLiteral("/nowhere/x.txt"), QStringLiteral("gone")));
        QStringList orphans = recovery::leftOverOrphans();
        orphans.sort();
        QStringList expected{untitled, gone};
        expected.sort();
        QCOMPARE(orphans, expected);
        ::close(lock);
        QCOMPARE(recovery::leftOver(key).size(), 2);
    }

    void takeSetsDamagedFilesAside()
    {
        QDir().mkpath(stateFolder());
        const QString file = stateFolder() + QStringLiteral("/untitled.5.recovery");
        put(file, recovery::encode(QString(), QStringLiteral("text")).chopped(1));
        QString reason;
        QVERIFY(!recovery::take(file, &reason));
        QVERIFY(!QFile::exists(file));
        QVERIFY(QFile::exists(file + QStringLiteral(".damaged")));
        QVERIFY(recovery::leftOverOrphans().isEmpty()); // never offered again

        put(file, recovery::encode(QString(), QStringLiteral("text")));
        const auto c = recovery::take(file, &reason);
        QVERIFY(c);
        QCOMPARE(c->text, QStringLiteral("text"));
    }
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
