#include "core/cp1251.h"
#include "core/document.h"
#include "core/error.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDocument : public QObject
{
    Q_OBJECT

    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeRaw(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void everyByteRoundTrips()
    {
        // All non-zero bytes except CR and LF, as lines joined by CR LF.
        QByteArray bytes;
        for (int b = 1; b < 256; ++b) {
            if (b == '\r' || b == '\n')
                continue;
            bytes += char(b);
            if (b % 16 == 0)
                bytes += "\r\n";
        }
        bytes += "\r\n";
        const QString text = document::fromBytes(bytes);
        QCOMPARE(document::toBytes(text), bytes);
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << "a\nb\n" << QByteArray("a\r\nb\r\n");
        QTest::newRow("lf") << QByteArray("a\nb\n") << "a\nb\n" << QByteArray("a\r\nb\r\n");
        QTest::newRow("cr") << QByteArray("a\rb\r") << "a\nb\n" << QByteArray("a\r\nb\r\n");
        QTest::newRow("mixed") << QByteArray("a\r\r\nb\n\rc") << "a\n\nb\n\nc"
                               << QByteArray("a\r\n\r\nb\r\n\r\nc");
        QTest::newRow("no final break") << QByteArray("abc") << "abc" << QByteArray("abc");
        QTest::newRow("empty") << QByteArray() << "" << QByteArray();
    }
    void lineEnds()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QFETCH(QByteArray, saved);
        QCOMPARE(document::fromBytes(file), text);
        QCOMPARE(document::toBytes(text), saved);
    }

    void cyrillicIsWindows1251()
    {
        QCOMPARE(document::toBytes(QStringLiteral("Ёё№Яя")), QByteArray("\xA8\xB8\xB9\xDF\xFF"));
        QCOMPARE(document::fromBytes("\x98"), QString(QChar(0x98)));
    }

    void unencodableCharacterIsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("latin extended on line 2") << QStringLiteral("ok\nAmal \u0100") << QStringLiteral("2");
        QTest::newRow("chinese on line 1") << QStringLiteral("\u4e2d") << QStringLiteral("1");
        QTest::newRow("emoji surrogate") << QStringLiteral("a\nb\n\U0001F600") << QStringLiteral("3");
    }
    void unencodableCharacterIsRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("doc.txt");
        writeRaw(path, "old contents");
        try {
            document::write(path, text);
            QFAIL("no error");
        } catch (const ZarvoError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("строке ") + expected), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("U+")));
        }
        QCOMPARE(readAll(path), QByteArray("old contents"));
    }

    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << "readonly";
        QTest::newRow("missing folder") << "missing";
        QTest::newRow("target is a folder") << "folder";
    }
    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath("doc.txt");
        writeRaw(path, "old");
        if (kind == "readonly")
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        else if (kind == "missing")
            path = dir.filePath("no/such/doc.txt");
        else
            path = dir.path();
        QVERIFY_THROWS_EXCEPTION(ZarvoError, document::write(path, QStringLiteral("new")));
        QCOMPARE(readAll(dir.filePath("doc.txt")), QByteArray("old"));
        QFile::setPermissions(dir.filePath("doc.txt"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void fullDeviceFails()
    {
        QVERIFY_THROWS_EXCEPTION(ZarvoError, document::write("/dev/full", QString(100000, QLatin1Char('x'))));
        QVERIFY(QFileInfo("/dev/full").exists());
    }

    void readFailures()
    {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(ZarvoError, document::read(dir.path()));
        QVERIFY_THROWS_EXCEPTION(ZarvoError, document::read(dir.filePath("missing")));
    }

    void nulBytesSurvive()
    {
        const QByteArray bytes("a\0b\r\n\0", 6);
        QCOMPARE(document::toBytes(document::fromBytes(bytes)), bytes);
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
