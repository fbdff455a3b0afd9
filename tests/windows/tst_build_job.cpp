#include "tst_build_fake.h"

#include "Unit3.h"
#include "Unit4.h"
#include "controls/dialogs.h"
#include "core/error.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <climits>
#include <system_error>

#include <brenvik.h>
#include <sys/mount.h>

namespace {

class RecordingDialogs final : public Dialogs
{
public:
    QStringList *log = nullptr;
    QString openFile(QWidget *, const QString &, const QString &) override { return {}; }
    QString saveFile(QWidget *, const QString &, const QString &) override { return {}; }
    bool chooseFont(QWidget *, QFont &, QColor &) override { return false; }
    int ask(QWidget *, const QString &, const QString &, const QStringList &) override { return -1; }
    void message(QWidget *, Kind, const QString &, const QString &text) override { *log << QStringLiteral("box:") + text; }
};

void failingStarter(std::function<void()>)
{
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

} // namespace

class TestBuildJob : public QObject
{
    Q_OBJECT

    QStringList m_log;
    RecordingDialogs m_dialogs;
    struct Delivery { int gauge; int32_t value; bool onUiThread; };
    QList<Delivery> m_deliveries;

    TThread1::Events events()
    {
        TThread1::Events e;
        e.progress = [this](TThread1 &, int gauge, int32_t value) {
            m_deliveries.append({gauge, value, QThread::currentThread() == qApp->thread()});
        };
        e.returned = [this](TThread1 &job, int32_t result) {
            m_log << QStringLiteral("returned:%1:%2").arg(result).arg(job.finished() ? "finished" : "?");
        };
        return e;
    }

    std::shared_ptr<TThread1> startJob(const QString &delims = QStringLiteral(" ,"), int minimum = 4)
    {
        SrcFile = QStringLiteral("/no/such/src.txt");
        DstFile = QStringLiteral("/no/such/dst.slo");
        Delims = delims;
        return TThread1::start(TThread1::currentRequest(minimum), events());
    }

private slots:
    void fullDiskKeepsTheDictionary()
    {
        // A build onto a full file system fails and leaves the old dictionary
        // byte for byte, with no temporary file beside it.
        QTemporaryDir dir;
        const QString mount = dir.filePath(QStringLiteral("tmpfs"));
        QDir().mkpath(mount);
        if (::mount("tmpfs", QFile::encodeName(mount).constData(), "tmpfs", 0, "size=128k") != 0)
            QSKIP("mounting a small file system needs the superuser");
        struct Unmount { QString at; ~Unmount() { ::umount(QFile::encodeName(at).constData()); } } unmount{mount};
        const QString dic = mount + QStringLiteral("/d.slo"), source = dir.filePath(QStringLiteral("s.txt"));
        const QByteArray old = " \r\n1 old\r\n";
        { QFile f(dic); QVERIFY(f.open(QIODevice::WriteOnly)); f.write(old); }
        { QFile f(source); QVERIFY(f.open(QIODevice::WriteOnly)); f.write(QByteArray("word another word ").repeated(4000)); }
        {
            QFile filler(mount + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'f');
            while (filler.write(block) > 0) {
            }
            while (filler.write("f", 1) > 0) {
            }
        }
        QVERIFY(createdicdll(QFile::encodeName(source).constData(), QFile::encodeName(dic).constData(), " ", 0,
                             nullptr, nullptr) != BRENVIK_OK);
        QFile f(dic);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
        QCOMPARE(QDir(mount).entryList(QDir::Files | QDir::Hidden), (QStringList{"d.slo", "filler"}));
    }

    void init()
    {
        m_log.clear();
        m_deliveries.clear();
        m_dialogs.log = &m_log;
        Dialogs::install(&m_dialogs);
    }
    void cleanup()
    {
        TThread1::setThreadStarter(nullptr);
        Dialogs::install(nullptr);
    }

    void resultMessages_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::newRow("source missing") << 1 << "Файл S не найден";
        QTest::newRow("target not opened") << 2 << "Файл D не открыт";
        QTest::newRow("source empty") << 3 << "Размер файла S равен нулю";
        QTest::newRow("dictionary empty") << 4 << "Размер файла D будет равен нулю";
        QTest::newRow("unknown 7") << 7 << "Неизвестная ошибка №7";
        QTest::newRow("unknown -1") << -1 << "Неизвестная ошибка №-1";
        QTest::newRow("lowest") << INT_MIN << "Неизвестная ошибка №-2147483648";
    }
    void resultMessages()
    {
        QFETCH(int, result);
        QFETCH(QString, text);
        QCOMPARE(buildResultMessage(result, QStringLiteral("S"), QStringLiteral("D")), text);
    }

    // What reaches the library: Windows-1251 bytes, an empty delimiter specification as
    // null, the minimum brought into 0..20.
    void libraryArguments_data()
    {
        QTest::addColumn<QString>("delims");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("null");
        QTest::addColumn<int>("passed");
        QTest::newRow("default") << "+-*/;.\" ',!?()[]{}^p^t" << 4 << QByteArray("+-*/;.\" ',!?()[]{}^p^t") << false << 4;
        QTest::newRow("empty") << "" << 0 << QByteArray() << true << 0;
        QTest::newRow("cyrillic") << "№ё—" << 20 << QByteArray("\xB9\xB8\x97") << false << 20;
        QTest::newRow("below range") << " " << -3 << QByteArray(" ") << false << 0;
        QTest::newRow("above range") << " " << 25 << QByteArray(" ") << false << 20;
    }
    void libraryArguments()
    {
        QFETCH(QString, delims);
        QFETCH(int, minimum);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, null);
        QFETCH(int, passed);
        FakeLibrary fake;
        fake.returnAtOnce(0);
        startJob(delims, minimum);
        QVERIFY(QTest::qWaitFor([] { return !anyBuildRunning(); }, 5000));
        const FakeLibrary::Call c = fake.call(0);
        QCOMPARE(c.delimiters, bytes);
        QCOMPARE(c.delimitersNull, null);
        QCOMPARE(c.minimum, passed);
        QCOMPARE(c.source, QByteArray("/no/such/src.txt"));
        QCOMPARE(c.target, QByteArray("/no/such/dst.slo"));
        QVERIFY(c.progress[0] == &OnProgress1);
        QVERIFY(c.progress[1] == &OnProgress2);
    }

    void unencodableDelimiterIsRefused_data()
    {
        QTest::addColumn<QString>("delims");
        QTest::newRow("greek") << "a ω";
        QTest::newRow("outside the basic plane") << QString::fromUtf8(" \xF0\x9F\x98\x80");
    }
    void unencodableDelimiterIsRefused()
    {
        QFETCH(QString, delims);
        FakeLibrary fake;
        QVERIFY_THROWS_EXCEPTION(ZarvoError, startJob(delims));
        QCOMPARE(fake.count(), 0);
        QVERIFY(!anyBuildRunning());
    }

    // The end: the returned event, then the message; the job is finished and
    // released although nobody else holds it.
    void endOrder_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("success") << 0 << QStringList{"returned:0:finished"};
        QTest::newRow("failure") << 2 << QStringList{"returned:2:finished", "box:Файл /no/such/dst.slo не открыт"};
    }
    void endOrder()
    {
        QFETCH(int, result);
        QFETCH(QStringList, log);
        FakeLibrary fake;
        std::weak_ptr<TThread1> weak = startJob();
        QVERIFY(fake.waitCalls(1));
        QVERIFY(anyBuildRunning());
        fake.finish(0, result);
        QVERIFY(QTest::qWaitFor([&] { return weak.expired(); }, 5000));
        QCOMPARE(m_log, log);
        QVERIFY(!anyBuildRunning());
    }

    void progressArrivesOnUiThreadOnly()
    {
        FakeLibrary fake;
        startJob();
        QVERIFY(fake.waitCalls(1));
        fake.report(0, 1, 40);
        fake.send(0, {FakeLibrary::Command::ReportElsewhere, 2, 77}); // a thread that is no job's
        fake.report(0, 2, 55);
        QVERIFY(fake.waitDone(0, 3));
        OnProgress1(99); // the UI thread is no job's thread either
        QCoreApplication::processEvents(); // the reports were queued before waitDone returned
        QCOMPARE(m_deliveries.size(), 2);
        QCOMPARE(m_deliveries[0].gauge, 1);
        QCOMPARE(m_deliveries[0].value, 40);
        QCOMPARE(m_deliveries[1].gauge, 2);
        QCOMPARE(m_deliveries[1].value, 55);
        QVERIFY(m_deliveries[0].onUiThread && m_deliveries[1].onUiThread);
    }

    // A library that reports very often does not flood the UI thread, and the
    // last value always arrives.
    void burstsAreCoalesced()
    {
        FakeLibrary fake;
        startJob();
        QVERIFY(fake.waitCalls(1));
        fake.send(0, {FakeLibrary::Command::ReportBurst, 1, 200000});
        QVERIFY(fake.waitDone(0, 1, 20000));
        QTRY_VERIFY(!m_deliveries.isEmpty() && m_deliveries.last().value == 200000);
        QVERIFY2(m_deliveries.size() < 1000, qPrintable(QString::number(m_deliveries.size())));
    }

    void pauseHoldsAtNextReport()
    {
        FakeLibrary fake;
        auto job = startJob();
        QVERIFY(fake.waitCalls(1));
        job->pause();
        QVERIFY(job->paused());
        fake.report(0, 1, 10);
        QVERIFY(fake.waitInReport(0));
        // Time itself is the subject: the paused job stays inside the report.
        QTest::qWait(100);
        QCOMPARE(fake.call(0).done, 0); // held inside the report
        QVERIFY(m_deliveries.isEmpty());
        QVERIFY(anyBuildRunning());
        job->resume();
        QVERIFY(fake.waitDone(0, 1));
        QTRY_COMPARE(m_deliveries.size(), 1);
        QCOMPARE(m_deliveries[0].value, 10);
        // The stop request changes nothing: the build goes on.
        job->requestStop();
        fake.report(0, 1, 20);
        QTRY_COMPARE(m_deliveries.size(), 2);
        fake.finish(0, 0);
        QTRY_VERIFY(job->finished());
    }

    void threadThatCannotBeCreated()
    {
        FakeLibrary fake;
        TThread1::setThreadStarter(&failingStarter);
        QVERIFY_THROWS_EXCEPTION(std::system_error, startJob());
        QVERIFY(TThread1::jobs().empty());
        QVERIFY(!anyBuildRunning());
        QCOMPARE(fake.count(), 0);
    }
};

QTEST_MAIN(TestBuildJob)
#include "tst_build_job.moc"
