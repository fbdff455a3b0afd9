#include "tst_build_fake.h"

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "controls/dialogs.h"
#include "controls/gauge.h"
#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <system_error>

namespace {

// Records each message with whether the progress window was still visible.
class RecordingDialogs final : public Dialogs
{
public:
    QStringList texts;
    QList<Kind> kinds;
    QList<bool> progressVisible;
    QString openFile(QWidget *, const QString &, const QString &) override { return {}; }
    QString saveFile(QWidget *, const QString &, const QString &) override { return {}; }
    bool chooseFont(QWidget *, QFont &, QColor &) override { return false; }
    int ask(QWidget *, const QString &, const QString &, const QStringList &) override { return -1; }
    void message(QWidget *, Kind kind, const QString &, const QString &text) override
    {
        texts << text;
        kinds << kind;
        progressVisible << (Form3 && Form3->isVisible());
    }
};

void failingStarter(std::function<void()>)
{
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The committed stand-in of the library answers -1 to everything.
bool realLibrary(const QString &dir)
{
    const QString src = dir + QStringLiteral("/probe.txt");
    writeFile(src, "probe words here");
    const QByteArray s = QFile::encodeName(src), t = QFile::encodeName(dir + QStringLiteral("/probe.slo"));
    return createdicdll(s.constData(), t.constData(), " ", 0, nullptr, nullptr) == 0;
}

} // namespace

class TestBuildWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldCwd;
    RecordingDialogs m_dialogs;

    void request(const QString &src = QStringLiteral("/no/src.txt"), const QString &dst = QStringLiteral("/no/dst.slo"))
    {
        SrcFile = src;
        DstFile = dst;
        Delims = QStringLiteral(" ,.^p^t");
    }
    // Shows the window modally without blocking the test, as the create command does.
    bool showWindow()
    {
        Form3->open();
        return QTest::qWaitForWindowActive(Form3);
    }

private slots:
    void init()
    {
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        m_dialogs = RecordingDialogs();
        Dialogs::install(&m_dialogs);
        createForms({QStringLiteral("zarvo")});
        QVERIFY(Form3);
        QVERIFY(Form2);
    }
    void cleanup()
    {
        TThread1::setThreadStarter(nullptr);
        destroyForms(); // also while jobs run: they go on without windows
        for (const auto &job : TThread1::jobs())
            job->resume();
        QVERIFY(QTest::qWaitFor([] { return !anyBuildRunning(); }, 20000));
        Dialogs::install(nullptr);
        QDir::setCurrent(m_oldCwd);
    }

    void layout()
    {
        QCOMPARE(Form3->windowTitle(), QStringLiteral("Процесс"));
        QVERIFY(!Form3->isVisible());
        QCOMPARE(Form3->Button1->text(), QStringLiteral("Пауза"));
        QCOMPARE(Form3->Gauge1->geometry(), QRect(8, 8, 225, 25));
        QCOMPARE(Form3->Gauge2->geometry(), QRect(8, 40, 225, 25));
        QCOMPARE(Form3->Button1->geometry(), QRect(152, 72, 81, 25));
    }

    // A result other than 0 closes the window first, then shows its message.
    void failureClosesThenReports_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::newRow("7") << 7 << "Неизвестная ошибка №7";
        QTest::newRow("-1") << -1 << "Неизвестная ошибка №-1";
        QTest::newRow("target") << 2 << "Файл /no/dst.slo не открыт";
    }
    void failureClosesThenReports()
    {
        QFETCH(int, result);
        QFETCH(QString, text);
        FakeLibrary fake;
        fake.returnAtOnce(result);
        request();
        QVERIFY(showWindow());
        QTRY_VERIFY(!Form3->isVisible());
        QTRY_COMPARE(m_dialogs.texts, QStringList{text});
        QCOMPARE(m_dialogs.progressVisible, QList<bool>{false});
        QCOMPARE(fake.count(), 1);
    }

    void successIsSilentAndLoadsNothing()
    {
        const QString dic = m_dir.filePath(QStringLiteral("old.slo"));
        writeFile(dic, " \r\n5 alpha\r\n3 beta\r\n");
        Form1->LoadDictionary(dic);
        DicPath = dic;
        const WordList before = Form1->Words;
        QCOMPARE(before.size(), 2);

        FakeLibrary fake;
        Form2->SpinEdit1->setValue(7);
        request();
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        QCOMPARE(fake.call(0).minimum, 7);
        fake.finish(0, 0);
        QTRY_VERIFY(!Form3->isVisible());
        QTRY_VERIFY(!anyBuildRunning());
        QVERIFY(m_dialogs.texts.isEmpty());
        QVERIFY(Form1->Words == before);
        QCOMPARE(DicPath, dic);
    }

    // Switching away and back starts nothing; every showing starts one build.
    void oneBuildPerShowing()
    {
        FakeLibrary fake;
        request();
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        for (int i = 0; i < 3; ++i) {
            QEvent off(QEvent::WindowDeactivate), on(QEvent::WindowActivate);
            QApplication::sendEvent(Form3, &off);
            QApplication::sendEvent(Form3, &on);
        }
        QCoreApplication::processEvents(); // anything the activations queued
        QCOMPARE(fake.count(), 1);
        fake.finish(0, 0);
        QTRY_VERIFY(!Form3->isVisible());
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(2));
        fake.finish(1, 0);
        QTRY_VERIFY(!Form3->isVisible());
    }

    void gaugesShowClampedProgress_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("shown");
        QTest::newRow("below") << -5 << 0;
        QTest::newRow("inside") << 37 << 37;
        QTest::newRow("above") << 150 << 100;
    }
    void gaugesShowClampedProgress()
    {
        QFETCH(int, value);
        QFETCH(int, shown);
        FakeLibrary fake;
        request();
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        fake.report(0, 1, 50);
        fake.report(0, 2, value);
        QVERIFY(fake.waitDone(0, 2));
        QTRY_COMPARE(Form3->Gauge1->progress(), 50);
        QTRY_COMPARE(Form3->Gauge2->progress(), shown);
        QCOMPARE(Form3->Gauge2->text(), QString::number(shown) + QLatin1Char('%'));
    }

    void gaugePaintsBarAndText()
    {
        Gauge g;
        g.resize(225, 25);
        g.setProgress(50);
        const QImage img = g.grab().toImage();
        QCOMPARE(QColor(img.pixel(20, 3)), QColor(Qt::black));   // bar
        QCOMPARE(QColor(img.pixel(200, 3)), QColor(Qt::white));  // rest
        QCOMPARE(QColor(img.pixel(200, 0)), QColor(Qt::black));  // border
    }

    void pauseFreezesAndContinueMovesOn()
    {
        FakeLibrary fake;
        request();
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        fake.report(0, 1, 30);
        QTRY_COMPARE(Form3->Gauge1->progress(), 30);

        QTest::mouseClick(Form3->Button1, Qt::LeftButton);
        QCOMPARE(Form3->Button1->text(), QStringLiteral("Дальше"));
        fake.report(0, 1, 60);
        QVERIFY(fake.waitInReport(0)); // held there: no value can be on its way
        QCoreApplication::processEvents();
        QCOMPARE(Form3->Gauge1->progress(), 30);
        QCOMPARE(fake.call(0).done, 1);

        QTest::mouseClick(Form3->Button1, Qt::LeftButton);
        QCOMPARE(Form3->Button1->text(), QStringLiteral("Пауза"));
        QTRY_COMPARE(Form3->Gauge1->progress(), 60);
        fake.finish(0, 0);
        QTRY_VERIFY(!Form3->isVisible());
    }

    void closeDuringBuildStillReportsFailure()
    {
        FakeLibrary fake;
        request();
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        auto job = Form3->job();
        Form3->close();
        QVERIFY(!Form3->isVisible());
        QVERIFY(job->stopRequested());
        fake.report(0, 1, 90); // reaches no window now
        QVERIFY(fake.waitDone(0, 1));
        QCoreApplication::processEvents(); // a delivery, had there been one, was queued by now
        QCOMPARE(Form3->Gauge1->progress(), 0);
        fake.finish(0, 3);
        QTRY_COMPARE(m_dialogs.texts, QStringList{"Размер файла /no/src.txt равен нулю"});
        QVERIFY(!Form3->isVisible());
    }

    // A build closed while paused stays paused; the next one starts fresh and
    // the old one's progress does not reach it.
    void freshStartAfterClosedWhilePaused()
    {
        FakeLibrary fake;
        request();
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        fake.report(0, 1, 40);
        QTRY_COMPARE(Form3->Gauge1->progress(), 40);
        QTest::mouseClick(Form3->Button1, Qt::LeftButton);
        auto old = Form3->job();
        Form3->close();

        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(2));
        QVERIFY(Form3->job() && Form3->job() != old);
        QCOMPARE(Form3->Button1->text(), QStringLiteral("Пауза"));
        QCOMPARE(Form3->Gauge1->progress(), 0);
        QCOMPARE(Form3->Gauge2->progress(), 0);
        QVERIFY(!Form3->job()->paused());
        QVERIFY(old->paused());

        fake.report(0, 1, 99); // the old job is held at this report
        QVERIFY(fake.waitInReport(0));
        fake.report(1, 1, 10);
        QTRY_COMPARE(Form3->Gauge1->progress(), 10);
        fake.finish(1, 0);
        QTRY_VERIFY(!Form3->isVisible());
        QVERIFY(anyBuildRunning()); // the paused one
        QCOMPARE(fake.call(0).done, 1); // still held at its second report
    }

    void clickAfterLibraryReturnedDoesNothing()
    {
        FakeLibrary fake;
        request();
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        auto job = Form3->job();
        fake.finish(0, 0);
        // Wait without handling events, so the window has not closed yet.
        for (int i = 0; i < 500 && !job->returned(); ++i)
            QThread::msleep(10);
        QVERIFY(job->returned());
        QVERIFY(Form3->isVisible());
        Form3->Button1Click();
        QCOMPARE(Form3->Button1->text(), QStringLiteral("Пауза"));
        QVERIFY(!job->paused());
        QTRY_VERIFY(!Form3->isVisible());
    }

    void threadThatCannotBeCreated()
    {
        FakeLibrary fake;
        TThread1::setThreadStarter(&failingStarter);
        request();
        QVERIFY(showWindow());
        QTRY_COMPARE(m_dialogs.kinds.size(), 1);
        QCOMPARE(m_dialogs.kinds[0], Dialogs::Kind::Stop);
        QVERIFY(Form3->isVisible());
        QVERIFY(!Form3->job());
        Form3->Button1Click();
        QCOMPARE(Form3->Button1->text(), QStringLiteral("Пауза"));
        Form3->close();
        QVERIFY(!Form3->isVisible());
        QCOMPARE(fake.count(), 0);

        TThread1::setThreadStarter(nullptr);
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        fake.finish(0, 0);
        QTRY_VERIFY(!Form3->isVisible());
    }

    void unencodableDelimiterReported()
    {
        FakeLibrary fake;
        request();
        Delims = QStringLiteral(" ω");
        QVERIFY(showWindow());
        QTRY_COMPARE(m_dialogs.kinds.size(), 1);
        QCOMPARE(m_dialogs.kinds[0], Dialogs::Kind::Stop);
        QVERIFY(m_dialogs.texts[0].contains(QStringLiteral("ω")));
        QCOMPARE(fake.count(), 0);
        Form3->close();
    }

    void windowDestroyedDuringBuild()
    {
        FakeLibrary fake;
        request();
        QVERIFY(showWindow());
        QVERIFY(fake.waitCalls(1));
        delete Form3;
        Form3 = nullptr;
        fake.report(0, 1, 10);
        fake.finish(0, 4);
        QTRY_COMPARE(m_dialogs.texts, QStringList{"Размер файла /no/dst.slo будет равен нулю"});
    }

    // With the real library.
    void missingSource()
    {
        QVERIFY(realLibrary(m_dir.path()));
        request(m_dir.filePath(QStringLiteral("missing.txt")), m_dir.filePath(QStringLiteral("missing.txt.slo")));
        QVERIFY(showWindow());
        QTRY_VERIFY(!Form3->isVisible());
        QTRY_COMPARE(m_dialogs.texts, QStringList{"Файл " + SrcFile + " не найден"});
        QCOMPARE(m_dialogs.progressVisible, QList<bool>{false});
    }

    // Two builds of one target: the one paused in the background does not
    // disturb the other, and ends with the same good dictionary.
    void twoBuildsOfOneTarget()
    {
        QVERIFY(realLibrary(m_dir.path()));
        QByteArray text;
        for (int i = 0; i < 200000; ++i)
            text += "alpha beta beta gamma gamma gamma ";
        const QString src = m_dir.filePath(QStringLiteral("two.txt"));
        const QString dst = m_dir.filePath(QStringLiteral("two.txt.slo"));
        writeFile(src, text);
        Form2->SpinEdit1->setValue(5);
        request(src, dst);

        QVERIFY(showWindow());
        QTest::mouseClick(Form3->Button1, Qt::LeftButton); // held at its first report
        auto first = Form3->job();
        Form3->close();

        QVERIFY(showWindow());
        QTRY_VERIFY_WITH_TIMEOUT(!Form3->isVisible(), 20000);
        QVERIFY(m_dialogs.texts.isEmpty());
        const QByteArray built = readFile(dst);
        QVERIFY(built.startsWith(" ,.^p^t\r\n"));
        QVERIFY(built.contains("gamma") && built.contains("alpha") && !built.contains("beta"));

        if (!first->returned()) {
            first->resume();
            QTRY_VERIFY_WITH_TIMEOUT(first->finished(), 20000);
            QCOMPARE(readFile(dst), built);
        }
        QVERIFY(m_dialogs.texts.isEmpty());
    }
};

QTEST_MAIN(TestBuildWindow)
#include "tst_build_window.moc"
