#include "core/cp1251.h"
#include "core/document.h"
#include "core/error.h"

#include <QFile>
#include <QStringEncoder>
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

    // Every encoding x line-end style x final break x byte-order mark: the
    // bytes read and written back unedited are the same, and an edited text
    // keeps the file's form.
    void roundTrip_data()
    {
        using textformat::Encoding;
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("edited");   // the text after an edit of its last line
        QTest::addColumn<QByteArray>("saved"); // the bytes of the edited text
        struct Enc
        {
            const char *name;
            Encoding e;
            const char *bom;
        };
        const Enc encodings[] = {{"UTF-8", Encoding::Utf8, ""},
                                 {"UTF-8 BOM", Encoding::Utf8, "\xEF\xBB\xBF"},
                                 {"UTF-16LE", Encoding::Utf16LE, "\xFF\xFE"},
                                 {"UTF-16BE", Encoding::Utf16BE, "\xFE\xFF"},
                                 {"Windows-1251", Encoding::Windows1251, ""},
                                 {"KOI8-R", Encoding::Koi8R, ""},
                                 {"IBM866", Encoding::Ibm866, ""}};
        const char *ends[] = {"\r\n", "\n", "\r"};
        // Prose long enough for the 8-bit encodings to be told apart.
        const QString line = QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю");
        for (const Enc &enc : encodings) {
            for (const char *end : ends) {
                for (const bool finalBreak : {true, false}) {
                    const QString e = QString::fromLatin1(end);
                    QString text = line + e + line + e + QStringLiteral("последняя");
                    if (finalBreak)
                        text += e;
                    const QString edited = QString(text).replace(QStringLiteral("последняя"), QStringLiteral("новая"));
                    QStringEncoder encoder(QStringEncoder(enc.e == Encoding::Utf16LE ? "UTF-16LE"
                                                              : enc.e == Encoding::Utf16BE
                                                              ? "UTF-16BE"
                                                              : qPrintable(textformat::encodingName(enc.e))));
                    const QByteArray bom(enc.bom);
                    QTest::addRow("%s, %s, %s", enc.name, end[0] == '\r' ? (end[1] ? "CR LF" : "CR") : "LF",
                                  finalBreak ? "final break" : "no final break")
                        << bom + encoder.encode(text) << int(enc.e)
                        << QString(edited)
                               .replace(QLatin1String("\r\n"), QLatin1String("\n"))
                               .replace(QLatin1Char('\r'), QLatin1Char('\n'))
                        << bom + encoder.encode(edited);
                }
            }
        }
        QTest::newRow("mixed line ends kept line by line")
            << QByteArray("a\r\nb\nc\rd\r\nпоследняя") << int(Encoding::Utf8) << QStringLiteral("a\nb\nc\nd\nновая")
            << QByteArray("a\r\nb\nc\rd\r\nновая");
        QTest::newRow("new lines in a mixed file take its first end")
            << QByteArray("a\nb\r\nпоследняя\r\n") << int(Encoding::Utf8) << QStringLiteral("a\nb\nx\nновая\n")
            << QByteArray("a\nb\r\nx\nновая\r\n");
    }
    void roundTrip()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, encoding);
        QFETCH(QString, edited);
        QFETCH(QByteArray, saved);
        const textformat::Decoded d = textformat::decode(file);
        QCOMPARE(int(d.layout.format.encoding), encoding);
        QCOMPARE(document::toBytes(d.text, d.layout), file);
        QCOMPARE(document::toBytes(edited, d.layout), saved);
    }

    void newDocumentsAreWindows1251WithCrLf()
    {
        QCOMPARE(document::toBytes(QStringLiteral("Да\nнет\n")), QByteArray("\xc4\xe0\r\n\xed\xe5\xf2\r\n"));
    }

    void detection_data()
    {
        using textformat::Encoding;
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("encoding");
        QTest::newRow("ASCII is Windows-1251") << QByteArray("plain\n") << int(Encoding::Windows1251);
        QTest::newRow("invalid UTF-8 is Windows-1251")
            << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2") << int(Encoding::Windows1251);
        QTest::newRow("valid UTF-8") << QByteArray("Привет") << int(Encoding::Utf8);
        QTest::newRow("UTF-16 of odd length falls back") << QByteArray("\xFF\xFE"
                                                                       "a\0b",
                                                                       5)
                                                         << int(Encoding::Windows1251);
        QTest::newRow("short 8-bit text stays Windows-1251") << QByteArray("\xf0\xd2") << int(Encoding::Windows1251);
        // Valid UTF-8 for a while, then not: the whole file is 8-bit.
        QTest::newRow("UTF-8 only at the start")
            << QByteArray(70000, 'a') + "\xd0\x9f " + QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2")
            << int(Encoding::Windows1251);
    }
    void detection()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, encoding);
        const textformat::Decoded d = textformat::decode(file);
        QCOMPARE(int(d.layout.format.encoding), encoding);
        QCOMPARE(document::toBytes(d.text, d.layout), file); // whatever it is read as, it is written back the same
    }

    // UTF-8 is read strictly: well-formed text as Qt's own decoder reads it,
    // anything malformed as Windows-1251 (every byte kept).
    void utf8IsReadStrictly_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("valid");
        QTest::newRow("one to four bytes") << QByteArray("a \xd0\x96 \xe2\x80\x94 \xf0\x9f\x98\x80 z") << true;
        QTest::newRow("em dash then Russian") << QByteArray("\xe2\x80\x94\xd0\xb4\xd0\xb0") << true;
        QTest::newRow("overlong two bytes") << QByteArray("\xc1\xbf") << false;
        QTest::newRow("overlong three bytes") << QByteArray("\xe0\x9f\xbf") << false;
        QTest::newRow("a surrogate") << QByteArray("\xed\xa0\x80") << false;
        QTest::newRow("cut short") << QByteArray("ab\xd0") << false;
        QTest::newRow("lone continuation") << QByteArray("\x80") << false;
        QTest::newRow("beyond the last plane") << QByteArray("\xf4\x90\x80\x80") << false;
        // ASCII goes in blocks of sixteen: a character or a fault on either side of a block's edge.
        const QByteArray run(15, 'a');
        for (const int extra : {0, 1, 2, 17}) {
            const QByteArray ascii = run + QByteArray(extra, 'b');
            QTest::addRow("Russian after %d ASCII", int(ascii.size())) << ascii + "\xd0\x96\xd1\x8f " + ascii << true;
            QTest::addRow("em dash after %d ASCII", int(ascii.size())) << ascii + "\xe2\x80\x94" + ascii << true;
            QTest::addRow("emoji after %d ASCII", int(ascii.size())) << ascii + "\xf0\x9f\x98\x80" << true;
            QTest::addRow("fault after %d ASCII", int(ascii.size())) << ascii + "\xd0" + ascii << false;
            QTest::addRow("cut short after %d Russian", int(ascii.size()))
                << QByteArray("\xd0\x96").repeated(ascii.size()) + "\xd0" << false;
        }
    }
    void utf8IsReadStrictly()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, valid);
        const textformat::Decoded d = textformat::decode(file, textformat::Encoding::Utf8);
        QCOMPARE(d.layout.format.encoding, valid ? textformat::Encoding::Utf8 : textformat::Encoding::Windows1251);
        if (valid)
            QCOMPARE(d.text, QString::fromUtf8(file));
        QCOMPARE(document::toBytes(d.text, d.layout), file);
    }

    void unencodableInTheFilesEncoding_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::newRow("Windows-1251") << int(textformat::Encoding::Windows1251);
        QTest::newRow("KOI8-R") << int(textformat::Encoding::Koi8R);
        QTest::newRow("IBM866") << int(textformat::Encoding::Ibm866);
    }
    void unencodableInTheFilesEncoding()
    {
        QFETCH(int, encoding);
        textformat::Layout layout;
        layout.format.encoding = textformat::Encoding(encoding);
        try {
            document::toBytes(QStringLiteral("Да\nи \u0100"), layout);
            QFAIL("encoded");
        } catch (const document::UnencodableError &e) {
            QCOMPARE(e.position(), 5);
            QVERIFY2(e.message().contains(textformat::encodingName(layout.format.encoding)), qPrintable(e.message()));
        }
        layout.format.encoding = textformat::Encoding::Utf8;
        QCOMPARE(document::toBytes(QStringLiteral("Да\nи \u0100"), layout), QStringLiteral("Да\r\nи \u0100").toUtf8());
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
        QVERIFY_THROWS_EXCEPTION(ZarvoError, document::load(dir.path()));
        QVERIFY_THROWS_EXCEPTION(ZarvoError, document::load(dir.filePath("missing")));
    }

    void nulBytesSurvive()
    {
        const QByteArray bytes("a\0b\r\n\0", 6);
        QCOMPARE(document::toBytes(document::fromBytes(bytes)), bytes);
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
