#include "core/dictionaryfile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using dictionaryfile::Status;

namespace {

QStringList decoded(const WordList &words)
{
    return words.texts();
}

QByteArray cp(const QString &s)
{
    QByteArray out;
    for (QChar c : s)
        out.append(c.unicode() < 0x80 ? char(c.unicode()) : char(c.unicode() - 0x410 + 0xC0));
    return out;
}

} // namespace

class TestDictionaryFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("invalid");

        QTest::newRow("blank and tab separators") << QByteArray("x^t\r\n12 the\r\n7\tand\r\n")
                                                  << "x^t" << QStringList{"the", "and"} << false;
        QTest::newRow("second blank stays in the word") << QByteArray("d\r\n5  two words\r\n")
                                                        << "d" << QStringList{" two words"} << false;
        QTest::newRow("trailing blanks and inner tab kept") << QByteArray("d\r\n1 a\tb  \r\n")
                                                            << "d" << QStringList{"a\tb  "} << false;
        QTest::newRow("empty lines add no words") << QByteArray("d\r\n\r\n1 a\r\n\r\n \t\r\n2 b\r\n\r\n\r\n")
                                                  << "d" << QStringList{"a", "b"} << false;
        QTest::newRow("LF line ends") << QByteArray("d\n1 a\n\n2 b\n3\n4 c") << "d"
                                      << QStringList{"a", "b", "", "c"} << false;
        QTest::newRow("CR line ends") << QByteArray("d\r1 a\r2 b\r3\r4 c\r") << "d"
                                      << QStringList{"a", "b", "", "c"} << false;
        QTest::newRow("number alone, also at the end") << QByteArray("d\r\n1\r\n2 b\r\n7") << "d"
                                                       << QStringList{"", "b", ""} << false;
        QTest::newRow("semicolon after the digits") << QByteArray("d\r\n1 a\r\n2;b\r\n3 c\r\n") << "d"
                                                    << QStringList{"a"} << true;
        QTest::newRow("word where a number belongs") << QByteArray("d\r\nthe\r\n") << "d"
                                                     << QStringList{} << true;
        QTest::newRow("signs") << QByteArray("d\r\n-5 a\r\n+6 b\r\n-2147483648 c\r\n2147483647 d") << "d"
                               << QStringList{"a", "b", "c", "d"} << false;
        QTest::newRow("sign alone") << QByteArray("d\r\n- a\r\n") << "d" << QStringList{} << true;
        QTest::newRow("too large") << QByteArray("d\r\n1 a\r\n2147483648 b\r\n") << "d"
                                   << QStringList{"a"} << true;
        QTest::newRow("hex is not decimal") << QByteArray("d\r\n$1F a\r\n") << "d" << QStringList{} << true;
        QTest::newRow("32 characters") << QByteArray("d\r\n" + QByteArray(31, '0') + "1 a\r\n") << "d"
                                       << QStringList{"a"} << false;
        QTest::newRow("33 characters") << QByteArray("d\r\n" + QByteArray(32, '0') + "1 a\r\n") << "d"
                                       << QStringList{} << true;
        QTest::newRow("code 26 ends the file") << QByteArray("d\r\n1 ab\x1a" "c\r\n2 x\r\n") << "d"
                                               << QStringList{"ab"} << false;
        QTest::newRow("code 26 in the first line") << QByteArray("d\x1a" "e\r\n1 a\r\n") << "d"
                                                   << QStringList{} << false;
        QTest::newRow("Cyrillic") << (cp("+-*/^p^t") + "\r\n3 " + cp("два") + "\r\n") << "+-*/^p^t"
                                  << QStringList{"два"} << false;
        QTest::newRow("first line only") << QByteArray("abc") << "abc" << QStringList{} << false;
        QTest::newRow("empty file") << QByteArray() << "" << QStringList{} << false;
    }

    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, firstLine);
        QFETCH(QStringList, words);
        QFETCH(bool, invalid);

        const QString path = m_dir.filePath(QStringLiteral("d%1.slo").arg(m_count++));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();

        dictionaryfile::Parsed parsed;
        QCOMPARE(dictionaryfile::read(path, parsed), Status::Ok);
        QCOMPARE(parsed.firstLine, cp(firstLine));
        QCOMPARE(decoded(parsed.words), words);
        QCOMPARE(parsed.invalidNumber, invalid);
    }

    void notOpened()
    {
        dictionaryfile::Parsed parsed;
        parsed.firstLine = "kept";
        QCOMPARE(dictionaryfile::read(m_dir.filePath("missing.slo"), parsed), Status::NotOpened);
        QCOMPARE(dictionaryfile::read(m_dir.path(), parsed), Status::NotOpened);
        QCOMPARE(parsed.firstLine, QByteArray("kept"));
    }

private:
    QTemporaryDir m_dir;
    int m_count = 0;
};

QTEST_GUILESS_MAIN(TestDictionaryFile)
#include "tst_dictionaryfile.moc"
