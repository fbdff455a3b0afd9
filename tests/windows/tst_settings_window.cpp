#include "Unit1.h"
#include "Unit2.h"
#include "controls/suggestionlist.h"
#include "core/cp1251.h"
#include "core/datapaths.h"
#include "fakedialogs.h"
#include "startup.h"

#include <QDir>
#include <QFile>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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

// The dictionary a first start selects: the ready one of both languages.
QString readyDictionary()
{
    return datapaths::current().shipped + QLatin1Char('/') + datapaths::firstStartDictionary();
}

// The settings file is Windows-1251.
QByteArray inFile(const QString &text)
{
    QByteArray out;
    cp1251::encode(text, out);
    return out;
}

// The file a first session leaves behind, with the window at the given bounds.
QByteArray firstSessionFile(const QByteArray &geometry)
{
    return crlf("[Form1]\nListBox1=121\nWindowState=0\n" + geometry
                + "[Font]\nCharset=1\nColor=-16777208\nHeight=-11\nName=MS Sans Serif\nPitch=0\n"
                  "Size=8\nStyle=0\n[Option]\nDic="
                + inFile(readyDictionary()) + "\n");
}

const QByteArray kDesignGeometry = "Top=120\nLeft=198\nHeight=375\nWidth=544\n";

} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldCwd;
    FakeDialogs *m_dialogs = nullptr;

    QString ini() const { return m_dir.filePath(QStringLiteral("Zarvo.ini")); }

    void start(const QStringList &args = {})
    {
        createForms(QStringList{QStringLiteral("zarvo")} + args);
    }
    void showAndWait()
    {
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        QFile::remove(ini());
        DicPath.clear();
        m_dialogs = new FakeDialogs;
    }
    void cleanup()
    {
        if (Form1)
            destroyForms();
        delete m_dialogs;
        m_dialogs = nullptr;
        QFile::setPermissions(ini(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QDir::setCurrent(m_oldCwd);
    }

    void firstStartUsesTheDesignAndWritesEveryKey()
    {
        start();
        QCOMPARE(Form1->frameGeometry(), QRect(198, 120, 544, 375));
        QCOMPARE(Form1->windowState(), Qt::WindowNoState);
        QCOMPARE(Form1->FontDialog1, FontSpec());
        QCOMPARE(Form1->dialogFont().family(), QString("MS Sans Serif"));
        QCOMPARE(Form1->FontDialog1.size(96), 8);
        // Words complete from the first key: the ready dictionary of both languages.
        QCOMPARE(DicPath, readyDictionary());
        QVERIFY(Form1->Words.size() >= 100000);
        QVERIFY(!QFile::exists(ini())); // reading never creates the file
        showAndWait();
        // Once framed, the outer bounds are still the designed ones.
        QTRY_COMPARE(Form1->frameGeometry(), QRect(198, 120, 544, 375));
        QCOMPARE(Form1->ListBox1->width(), 121);
        destroyForms();
        QCOMPARE(testfiles::read(ini()), firstSessionFile(kDesignGeometry));
        QCOMPARE(m_dialogs->messages.size(), 0);
    }

    void storedValuesApplied()
    {
        testfiles::write(ini(), settingsData("stored.ini"));
        start();
        showAndWait();
        QCOMPARE(Form1->frameGeometry(), QRect(60, 40, 700, 500));
        QCOMPARE(Form1->ListBox1->width(), 200);
        const FontSpec &font = Form1->FontDialog1;
        QCOMPARE(font.charset, 204);
        QCOMPARE(font.height, -20);
        QCOMPARE(font.name, QString("DejaVu Sans"));
        const QFont shown = Form1->ListBox1->font();
        QVERIFY(shown.bold() && shown.underline() && !shown.italic() && !shown.strikeOut());
        QCOMPARE(shown.pointSizeF(), 15.0);
        QCOMPARE(Form1->ListBox1->palette().color(QPalette::Text), QColor(255, 0, 0));
        destroyForms();
        // Nothing changed in the session, so the file is written back as it was.
        QCOMPARE(testfiles::read(ini()), settingsData("stored.ini"));
    }

    void invalidValuesCountAsAbsent()
    {
        testfiles::write(ini(), settingsData("invalid.ini"));
        start();
        QCOMPARE(Form1->frameGeometry(), QRect(198, 120, 544, 375));
        QCOMPARE(Form1->windowState(), Qt::WindowNoState); // 7 is no state
        QCOMPARE(Form1->FontDialog1, FontSpec());
        destroyForms();
        // Every key rewritten in its line; the order of the file stays.
        QCOMPARE(testfiles::read(ini()),
                 crlf("[Form1]\nTop=120\nLeft=198\nHeight=375\nWidth=544\nWindowState=0\nListBox1=121\n"
                      "[Font]\nCharset=1\nColor=-16777208\nHeight=-11\nName=MS Sans Serif\nPitch=0\n"
                      "Size=8\nStyle=0\n[Option]\nDic="
                      + inFile(readyDictionary()) + "\n"));
    }

    // An empty Dic is the user's "no dictionary", kept as it is.
    void emptyDicMeansNoDictionary()
    {
        testfiles::write(ini(), crlf("[Option]\nDic=\n"));
        start();
        QVERIFY(DicPath.isEmpty());
        QVERIFY(Form1->Words.isEmpty());
        destroyForms();
        QVERIFY(testfiles::read(ini()).contains("[Option]\r\nDic=\r\n"));
        QCOMPARE(m_dialogs->messages.size(), 0);
    }

    void fontValues_data()
    {
        QTest::addColumn<QByteArray>("font");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("style");
        QTest::addColumn<qint32>("color");
        QTest::addColumn<QByteArray>("written");
        // Keys the file lacks are added after the ones it has.
        QTest::newRow("height alone gives its size and back")
            << QByteArray("Height=-20\n") << -20 << 0 << qint32(-16777208)
            << QByteArray("Height=-20\nCharset=1\nColor=-16777208\nName=MS Sans Serif\nPitch=0\nSize=15\nStyle=0\n");
        QTest::newRow("size decides over height")
            << QByteArray("Height=-40\nSize=12\n") << -16 << 0 << qint32(-16777208)
            << QByteArray("Height=-16\nSize=12\nCharset=1\nColor=-16777208\nName=MS Sans Serif\nPitch=0\nStyle=0\n");
        QTest::newRow("style 5 and red, in hex")
            << QByteArray("Style=5\nColor=$FF\n") << -11 << 5 << qint32(255)
            << QByteArray("Style=5\nColor=255\nCharset=1\nHeight=-11\nName=MS Sans Serif\nPitch=0\nSize=8\n");
        QTest::newRow("system colour in hex, style's high bits dropped")
            << QByteArray("Color=0xFF000005\nStyle=$1F3\n") << -11 << 3 << qint32(-16777211)
            << QByteArray("Color=-16777211\nStyle=3\nCharset=1\nHeight=-11\nName=MS Sans Serif\nPitch=0\nSize=8\n");
    }
    void fontValues()
    {
        QFETCH(QByteArray, font);
        QFETCH(QByteArray, written);
        testfiles::write(ini(), crlf("[Font]\n" + font));
        start();
        QTEST(Form1->FontDialog1.height, "height");
        QTEST(Form1->FontDialog1.style, "style");
        QTEST(Form1->FontDialog1.color, "color");
        destroyForms();
        const QByteArray file = testfiles::read(ini());
        QVERIFY2(file.startsWith(crlf("[Font]\n" + written + "[Form1]\n")), file.constData());
    }

    void exitWhileMaximizedKeepsTheBounds()
    {
        testfiles::write(ini(), crlf("[Form1]\nTop=10\nLeft=20\nHeight=300\nWidth=400\n"));
        start();
        showAndWait();
        Form1->showMaximized();
        QTRY_VERIFY(Form1->isMaximized());
        destroyForms();
        const QByteArray file = testfiles::read(ini());
        QVERIFY2(file.startsWith(crlf("[Form1]\nTop=10\nLeft=20\nHeight=300\nWidth=400\nListBox1=")), file.constData());
        QVERIFY(file.contains("WindowState=2\r\n"));

        // The next start places the window at those bounds and opens it maximized.
        start();
        QCOMPARE(Form1->windowState(), Qt::WindowMaximized);
        QCOMPARE(Form1->normalGeometry().topLeft() == QPoint(20, 10) || Form1->frameGeometry().topLeft() == QPoint(20, 10), true);
        showAndWait();
        QVERIFY(Form1->isMaximized());
        destroyForms();
        QCOMPARE(testfiles::read(ini()), file);
    }

    void listWidthAndGeometryFollowTheUser()
    {
        start();
        showAndWait();
        Form1->setGeometry(30, 40, 800, 600);
        Form1->Splitter1->setSizes({800 - 250, 250});
        QTRY_COMPARE(Form1->ListBox1->width(), 250);
        const QRect outer = Form1->frameGeometry();
        destroyForms();
        const QByteArray file = testfiles::read(ini());
        const QByteArray expected = QStringLiteral("[Form1]\r\nListBox1=250\r\nWindowState=0\r\nTop=%1\r\nLeft=%2\r\n"
                                                   "Height=%3\r\nWidth=%4\r\n")
                                        .arg(outer.top()).arg(outer.left()).arg(outer.height()).arg(outer.width())
                                        .toLatin1();
        QVERIFY2(file.startsWith(expected), file.constData());
        start();
        showAndWait();
        QTRY_COMPARE(Form1->frameGeometry(), outer);
        QCOMPARE(Form1->ListBox1->width(), 250);
    }

    void otherCurrentDirectory()
    {
        testfiles::write(ini(), settingsData("stored.ini"));
        QTemporaryDir other;
        QDir::setCurrent(other.path());
        start();
        QCOMPARE(Form1->frameGeometry(), QRect(198, 120, 544, 375));
        destroyForms();
        QCOMPARE(testfiles::read(other.filePath("Zarvo.ini")), firstSessionFile(kDesignGeometry));
        QCOMPARE(testfiles::read(ini()), settingsData("stored.ini"));
        QDir::setCurrent(m_dir.path());
    }

    void readOnlyFileReportedOnceAndKept()
    {
        const QByteArray before = crlf("; do not touch\n[Form1]\nTop=10\n");
        testfiles::write(ini(), before);
        QVERIFY(QFile::setPermissions(ini(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        start();
        QCOMPARE(Form1->frameGeometry().top(), 10);
        destroyForms();
        QCOMPARE(m_dialogs->messageTexts(), QStringList{"Unable to write to ./Zarvo.ini."});
        QCOMPARE(m_dialogs->messages.first().caption, QString("Zarvo"));
        QCOMPARE(testfiles::read(ini()), before);
    }

    void storedDictionary_data()
    {
        QTest::addColumn<QByteArray>("dic");      // bytes of the dictionary file, or none
        QTest::addColumn<bool>("documentOpened"); // start-up reached the command-line document
        QTest::addColumn<int>("messages");
        QTest::newRow("missing dictionary: reported, start-up goes on") << QByteArray() << true << 1;
        QTest::newRow("good dictionary") << crlf(" .,\n2 ab\n1 ac\n") << true << 0;
        QTest::newRow("damaged dictionary ends start-up there") << crlf(" .,\n2;ab\n") << false << 1;
        // A pipe never blocks the start: it is refused before any read.
        QTest::newRow("pipe as dictionary ends start-up there") << QByteArray("<fifo>") << false << 1;
    }
    void storedDictionary()
    {
        QFETCH(QByteArray, dic);
        const QString dicPath = m_dir.filePath(QStringLiteral("w.slo"));
        QFile::remove(dicPath);
        if (dic == "<fifo>")
            QCOMPARE(::mkfifo(QFile::encodeName(dicPath).constData(), 0600), 0);
        else if (!dic.isEmpty())
            testfiles::write(dicPath, dic);
        testfiles::write(m_dir.filePath("doc.txt"), "text");
        testfiles::write(ini(), crlf("[Option]\nDic=" + dicPath.toLocal8Bit() + "\n"));
        start({QStringLiteral("doc.txt")});
        QCOMPARE(DicPath, dicPath);
        QTEST(Form1->FileName == QLatin1String("doc.txt"), "documentOpened");
        QTEST(int(m_dialogs->messages.size()), "messages");
        if (dic == "<fifo>")
            QVERIFY(m_dialogs->messageTexts().at(0).contains(QStringLiteral("не обычный файл")));
        QVERIFY(Form2);
        destroyForms();
        const QByteArray file = testfiles::read(ini());
        QVERIFY2(file.startsWith(("[Option]\r\nDic=" + dicPath.toLocal8Bit() + "\r\n[Form1]\r\n")), file.constData());
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settings_window.moc"
