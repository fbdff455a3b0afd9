#include "core/recovery.h"

#include <QCryptographicHash>
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

// How the program turns a document's bytes into text, in short.
QString crlfToLf(QByteArray bytes)
{
    return QString::fromUtf8(bytes.replace("\r\n", "\n"));
}

recovery::Base copyOf(const QString &text)
{
    recovery::Base b;
    b.kind = recovery::Base::Kind::Copy;
    b.copy = text;
    return b;
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

    void rebuildsTheText_data()
    {
        QTest::addColumn<int>("base"); // 0 empty, 1 file on disk, 2 copy
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty base") << 0 << QStringLiteral("Xривет\nмир");
        QTest::newRow("file base") << 1 << QStringLiteral("Xривет\nмирsaved\nline\n");
        QTest::newRow("copied base") << 2 << QStringLiteral("Xривет\nмирcopy");
    }
    void rebuildsTheText()
    {
        QFETCH(int, base);
        QFETCH(QString, expected);
        const QString doc = m_dir.filePath(QStringLiteral("Документ 1.txt"));
        const QByteArray disk = "saved\r\nline\r\n";
        put(doc, disk);
        recovery::Base b;
        if (base == 1) {
            b.kind = recovery::Base::Kind::File;
            b.fileSize = disk.size();
            b.fileSha1 = QCryptographicHash::hash(disk, QCryptographicHash::Sha1);
        } else if (base == 2) {
            b.kind = recovery::Base::Kind::Copy;
            b.copy = QStringLiteral("copy");
        }
        // Paragraph and line separators are the editor's line breaks.
        const QList<recovery::Edit> edits{{0, 0, QStringLiteral("Привет\u2029мир")}, {0, 1, QStringLiteral("X")}};
        QString reason;
        const auto c = recovery::decode(recovery::encodeBase(doc, b) + recovery::encodeEdits(edits), ::getuid(),
                                        &crlfToLf, &reason);
        QVERIFY2(c, qPrintable(reason));
        QCOMPARE(c->document, doc);
        QCOMPARE(c->text, expected);
        QCOMPARE(c->lostEdits, 0);
    }

    void damagedDataIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason"); // empty: read, the last record left out
        const QString doc = m_dir.filePath(QStringLiteral("d.txt"));
        recovery::Base copy;
        copy.kind = recovery::Base::Kind::Copy;
        copy.copy = QStringLiteral("some text");
        const QByteArray good = recovery::encodeBase(doc, copy);
        const QByteArray edits = recovery::encodeEdits({{0, 4, QStringLiteral("any")}, {3, 0, QStringLiteral("!")}});
        QTest::newRow("truncated copy") << good.chopped(3) << QStringLiteral("обрезан");
        QTest::newRow("truncated header") << good.left(20) << QStringLiteral("обрезан");
        QByteArray flipped = good;
        flipped[flipped.size() - 2] = 'X';
        QTest::newRow("one byte of the copy changed") << flipped << QStringLiteral("повреждён");
        QTest::newRow("another user's") << QByteArray(good).replace("uid ", "uid 9") << QStringLiteral("другому");
        QTest::newRow("not a recovery file") << QByteArray("hello\n\nworld") << QStringLiteral("не файл");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("не файл");
        QTest::newRow("edit beyond the text")
            << good + recovery::encodeEdits({{100, 1, QStringLiteral("x")}}) << QStringLiteral("повреждён");
        QByteArray middle = good + edits;
        middle[good.size() + 25] = 'Z'; // inside the first record's text
        QTest::newRow("first of two records changed") << middle << QStringLiteral("повреждён");
        QTest::newRow("last record cut short") << (good + edits).chopped(2) << QString();
        recovery::Base file;
        file.kind = recovery::Base::Kind::File;
        file.fileSize = 3;
        file.fileSha1 = QCryptographicHash::hash("old", QCryptographicHash::Sha1);
        QTest::newRow("document changed on disk") << recovery::encodeBase(doc, file) << QStringLiteral("изменился");
    }
    void damagedDataIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        put(m_dir.filePath(QStringLiteral("d.txt")), "new!");
        QString why;
        const auto c = recovery::decode(bytes, ::getuid(), &crlfToLf, &why);
        if (reason.isEmpty()) {
            QVERIFY(c);
            QCOMPARE(c->text, QStringLiteral("any text"));
            QCOMPARE(c->lostEdits, 1);
            return;
        }
        QVERIFY(!c);
        QVERIFY2(why.contains(reason), qPrintable(why));
    }

    void writerStartsAppendsAndRemoves()
    {
        const QString doc = m_dir.filePath(QStringLiteral("doc.txt"));
        recovery::Writer writer;
        QVERIFY(writer.usable());
        writer.start(doc, {});
        writer.append({{0, 0, QStringLiteral("one")}});
        writer.append({{3, 0, QStringLiteral("\u2029two")}});
        writer.flush();
        const QString file = writer.currentFile();
        QVERIFY(file.startsWith(stateFolder() + QLatin1Char('/') + recovery::keyFor(doc)));
        QString reason;
        auto c = recovery::decode(bytesOf(file), ::getuid(), &crlfToLf, &reason);
        QVERIFY2(c, qPrintable(reason));
        QCOMPARE(c->text, QStringLiteral("one\ntwo"));
        QCOMPARE(QFile::permissions(file) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());
        // This copy owns it: it is no left-over while we run.
        QVERIFY(recovery::leftOver(recovery::keyFor(doc)).isEmpty());

        // Started anew: the edits before are gone with the old start.
        writer.start(doc, {});
        writer.append({{0, 0, QStringLiteral("fresh")}});
        writer.flush();
        c = recovery::decode(bytesOf(file), ::getuid(), &crlfToLf, &reason);
        QCOMPARE(c->text, QStringLiteral("fresh"));

        // Saved under another name: the old document's file goes.
        writer.start(m_dir.filePath(QStringLiteral("other.txt")), {});
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
        put(dead, recovery::encodeBase(doc, copyOf(QStringLiteral("dead copy's text"))));
        put(live, recovery::encodeBase(doc, copyOf(QStringLiteral("live copy's text"))));
        // Another running copy holds the second file's lock.
        const int lock = ::open(QFile::encodeName(stateFolder() + QLatin1Char('/') + key + ".2.lock").constData(),
                                O_RDWR | O_CREAT, 0600);
        QVERIFY(lock >= 0);
        QCOMPARE(::flock(lock, LOCK_EX), 0);
        QCOMPARE(recovery::leftOver(key), QStringList{dead});
        // A named document that still exists is no orphan; an untitled one and a vanished one are.
        QVERIFY(recovery::leftOverOrphans().isEmpty());
        const QString untitled = stateFolder() + QStringLiteral("/untitled.3.recovery");
        put(untitled, recovery::encodeBase(QString(), copyOf(QStringLiteral("untitled text"))));
        const QString gone = stateFolder() + QLatin1Char('/') + recovery::keyFor("/nowhere/x.txt") + ".4.recovery";
        put(gone, recovery::encodeBase(QStringLiteral("/nowhere/x.txt"), copyOf(QStringLiteral("gone"))));
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
        put(file, recovery::encodeBase(QString(), copyOf(QStringLiteral("text"))).chopped(1));
        QString reason;
        QVERIFY(!recovery::take(file, &crlfToLf, &reason));
        QVERIFY(!QFile::exists(file));
        QVERIFY(QFile::exists(file + QStringLiteral(".damaged")));
        QVERIFY(recovery::leftOverOrphans().isEmpty()); // never offered again

        put(file, recovery::encodeBase(QString(), copyOf(QStringLiteral("text"))));
        const auto c = recovery::take(file, &crlfToLf, &reason);
        QVERIFY(c);
        QCOMPARE(c->text, QStringLiteral("text"));
    }
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
