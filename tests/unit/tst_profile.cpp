#include "core/cp1251.h"
#include "core/profile.h"
#include "core/settingvalues.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

namespace {

QByteArray settingsData(const QString &name)
{
    return testfiles::data(QStringLiteral("settings/") + name);
}

QByteArray crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<qint32>)

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<std::optional<QString>>("expected");
        const auto none = std::optional<QString>();
        QTest::newRow("blanks and case") << "Form1" << "Top" << std::optional<QString>("15");
        QTest::newRow("lower-case query") << "form1" << "top" << std::optional<QString>("15");
        QTest::newRow("first duplicate key wins") << "FORM1" << "LEFT" << std::optional<QString>("$20");
        QTest::newRow("double quotes removed") << "Form1" << "Name" << std::optional<QString>("MS Sans Serif");
        QTest::newRow("one pair of single quotes removed") << "Form1" << "Quoted" << std::optional<QString>("it''s");
        QTest::newRow("lone quote kept") << "Form1" << "Single" << std::optional<QString>("\"");
        QTest::newRow("unmatched quotes kept") << "Form1" << "Mixed" << std::optional<QString>("\"abc'");
        QTest::newRow("empty value is present") << "Form1" << "Empty" << std::optional<QString>("");
        QTest::newRow("line without equals is no key") << "Form1" << "NoEquals" << none;
        QTest::newRow("comment is no key") << "Form1" << "; Width" << none;
        QTest::newRow("second section of a name ignored") << "Form1" << "Width" << none;
        QTest::newRow("key of another section") << "Font" << "Top" << none;
        QTest::newRow("same key, other section") << "Font" << "Name" << std::optional<QString>("Courier New");
        QTest::newRow("Windows-1251 value") << "Option" << "Dic" << std::optional<QString>(u"C:\\slo\\ру.slo"_qs);
        QTest::newRow("missing section") << "Missing" << "Top" << none;
    }
    void lookup()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(profile::lookup(settingsData("messy.ini"), section, key), expected);
    }

    void longValueCut()
    {
        const QByteArray text = "[S]\r\nk=" + QByteArray(5000, 'x') + "\r\n";
        QCOMPARE(profile::lookup(text, u"S", u"k")->size(), profile::maxValueLength);
    }

    void assign_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");

        const QByteArray messy = settingsData("messy.ini");
        QTest::newRow("replaced in place, first duplicate")
            << messy << "form1" << "LEFT" << QByteArray(messy).replace("Left=$20\r\n", "LEFT=v\r\n");
        QTest::newRow("replaced despite blanks")
            << messy << "Form1" << "Top" << QByteArray(messy).replace("  TOP = 15  \r\n", "Top=v\r\n");
        QTest::newRow("new key after the section's last line, comment kept")
            << messy << "Form1" << "Height" << QByteArray(messy).replace("; Width=7\r\n", "; Width=7\r\nHeight=v\r\n");
        QTest::newRow("new key at the end of a middle section")
            << messy << "Font" << "Size" << QByteArray(messy).replace("Courier New\r\n", "Courier New\r\nSize=v\r\n");
        QTest::newRow("new section at the end")
            << messy << "Extra" << "k" << messy + "[Extra]\r\nk=v\r\n";
        QTest::newRow("empty file") << QByteArray() << "S" << "k" << QByteArray("[S]\r\nk=v\r\n");
        QTest::newRow("no final line end") << QByteArray("[S]\r\nx=1") << "S" << "k"
                                           << QByteArray("[S]\r\nx=1\r\nk=v\r\n");
        QTest::newRow("new section after text without line end")
            << QByteArray("[S]\r\nx=1") << "T" << "k" << QByteArray("[S]\r\nx=1\r\n[T]\r\nk=v\r\n");
        QTest::newRow("blank lines before the next section stay")
            << crlf("[A]\nx=1\n\n[B]\ny=2\n") << "A" << "k" << crlf("[A]\nx=1\nk=v\n\n[B]\ny=2\n");
        QTest::newRow("empty section")
            << crlf("[A]\n[B]\n") << "A" << "k" << crlf("[A]\nk=v\n[B]\n");
        QTest::newRow("LF line end kept on replace")
            << QByteArray("[A]\nk=1\nz=2\n") << "A" << "k" << QByteArray("[A]\nk=v\nz=2\n");
        QTest::newRow("lines before any section are no keys")
            << QByteArray("k=1\r\n") << "A" << "k" << QByteArray("k=1\r\n[A]\r\nk=v\r\n");
        // A lone CR ends a line too: the key is found and replaced, never appended twice.
        QTest::newRow("CR line ends: replaced in place")
            << QByteArray("[A]\rk=1\rz=2\r") << "A" << "k" << QByteArray("[A]\rk=v\rz=2\r");
        QTest::newRow("CR line ends: new key in its section")
            << QByteArray("[A]\rz=2\r[B]\r") << "A" << "k" << QByteArray("[A]\rz=2\rk=v\r\n[B]\r");
        QTest::newRow("CR line end before a new section")
            << QByteArray("[A]\rz=2\r") << "B" << "k" << QByteArray("[A]\rz=2\r[B]\r\nk=v\r\n");
    }
    void assign()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        const QByteArray got = profile::assign(before, section, key, "v");
        QCOMPARE(got, after);
        QCOMPARE(profile::lookup(got, section, key), std::optional<QString>("v"));
    }

    void valueRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("plain") << "C:\\slo\\a.slo" << QByteArray("C:\\slo\\a.slo");
        QTest::newRow("inner quote") << "a\"b" << QByteArray("a\"b");
        QTest::newRow("leading blank") << " a" << QByteArray("\" a\"");
        QTest::newRow("trailing blank") << "a " << QByteArray("\"a \"");
        QTest::newRow("quoted") << "\"a\"" << QByteArray("\"\"a\"\"");
        QTest::newRow("single-quoted") << "'a'" << QByteArray("\"'a'\"");
        QTest::newRow("empty") << "" << QByteArray();
        QTest::newRow("Cyrillic") << u"ёж"_qs << QByteArray("\xb8\xe6");
    }
    void valueRoundTrip()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, stored);
        QCOMPARE(profile::encodeValue(value), std::optional<QByteArray>(stored));
        const QByteArray text = profile::assign({}, u"S", u"k", stored);
        QCOMPARE(profile::lookup(text, u"S", u"k"), std::optional<QString>(value));
    }

    void unstorableValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("line feed") << "a\nb=1";
        QTest::newRow("carriage return") << "a\rb";
        QTest::newRow("no Windows-1251 byte") << u"漢字"_qs;
    }
    void unstorableValues()
    {
        QFETCH(QString, value);
        QVERIFY(!profile::encodeValue(value));
        QTemporaryDir dir;
        const QString path = dir.filePath("p.ini");
        testfiles::write(path, "[S]\r\nk=old\r\n");
        QVERIFY(!profile::writeString(path, "S", "k", value));
        QCOMPARE(testfiles::read(path), QByteArray("[S]\r\nk=old\r\n"));
    }

    void fileCreatedAndUpdated()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.ini");
        QCOMPARE(profile::readString(path, "S", "k", "def"), QString("def"));
        QVERIFY(profile::writeString(path, "S", "k", u"ж"_qs));
        QVERIFY(profile::writeString(path, "T", "x", "1"));
        QVERIFY(profile::writeString(path, "S", "k", "2"));
        QCOMPARE(testfiles::read(path), QByteArray("[S]\r\nk=2\r\n[T]\r\nx=1\r\n"));
        QCOMPARE(profile::readString(path, "s", "K", "def"), QString("2"));
        // Nothing but the file itself is left in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.ini"});
    }

    void refusedWritesLeaveTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.ini");
        const QByteArray before = "; mine\r\n[S]\r\nk=1\r\n";
        testfiles::write(path, before);
        // No write bit at all: read-only even for the superuser.
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(!profile::writeString(path, "S", "k", "2"));
        QVERIFY(!profile::writeString(path, "New", "k", "2"));
        QCOMPARE(testfiles::read(path), before);
        QCOMPARE(profile::readString(path, "S", "k", "def"), QString("1"));

        const QString folder = dir.filePath("folder.ini");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(!profile::writeString(folder, "S", "k", "2"));
        QCOMPARE(profile::readString(folder, "S", "k", "def"), QString("def"));
        QVERIFY(!profile::writeString(dir.filePath("no/such/folder.ini"), "S", "k", "2"));
    }

    void parseInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<qint32>>("expected");
        const auto none = std::optional<qint32>();
        auto v = [](qint32 x) { return std::optional<qint32>(x); };
        QTest::newRow("decimal") << "121" << v(121);
        QTest::newRow("negative") << "-16777208" << v(-16777208);
        QTest::newRow("plus sign") << "+7" << v(7);
        QTest::newRow("leading zeros") << "007" << v(7);
        QTest::newRow("dollar hex") << "$FF" << v(255);
        QTest::newRow("0x hex lower") << "0xff" << v(255);
        QTest::newRow("0X hex") << "0X10" << v(16);
        QTest::newRow("hex system colour") << "$FF000008" << v(-16777208);
        QTest::newRow("hex all ones") << "0xFFFFFFFF" << v(-1);
        QTest::newRow("int max") << "2147483647" << v(2147483647);
        QTest::newRow("int min") << "-2147483648" << v(-2147483647 - 1);
        QTest::newRow("above int max") << "2147483648" << none;
        QTest::newRow("below int min") << "-2147483649" << none;
        QTest::newRow("hex over 32 bits") << "$100000000" << none;
        QTest::newRow("very long") << "99999999999999999999999" << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("sign only") << "-" << none;
        QTest::newRow("prefix only") << "$" << none;
        QTest::newRow("0x only") << "0x" << none;
        QTest::newRow("trailing letters") << "12px" << none;
        QTest::newRow("inner blank") << "1 2" << none;
        QTest::newRow("double sign") << "--5" << none;
        QTest::newRow("signed hex") << "-$5" << none;
        QTest::newRow("hex digits without prefix") << "ff" << none;
        QTest::newRow("decimal point") << "1.5" << none;
    }
    void parseInt()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<qint32>, expected);
        QCOMPARE(settingvalues::parseInt(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
