#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "controls/dialogs.h"
#include "startup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

class RecordingDialogs final : public Dialogs
{
public:
    QStringList texts;
    QString openFile(QWidget *, const QString &, const QString &) override { return {}; }
    QString saveFile(QWidget *, const QString &, const QString &) override { return {}; }
    bool chooseFont(QWidget *, QFont &, QColor &) override { return false; }
    int ask(QWidget *, const QString &, const QString &, const QStringList &) override { return -1; }
    void message(QWidget *, Kind, const QString &, const QString &text) override { texts << text; }
};

#if defined(__SANITIZE_THREAD__)
constexpr int blockRepeats = 16; // the instrumented library is many times slower
#else
constexpr int blockRepeats = 160; // about 64 MB
#endif
constexpr int vocabulary = 300;

// Word i occurs (i + 1) times per block; half are Latin, half Cyrillic, all
// lower case and 6 characters long. Two short words must be left out.
QByteArray word(int i)
{
    QByteArray w = (i % 2) ? QByteArray("\xF1\xEB") : QByteArray("wd");
    for (int k = 0, n = i; k < 4; ++k, n /= 26)
        w += char(((i % 2) ? 0xE0 : 'a') + n % 26);
    return w;
}

QByteArray makeBlock()
{
    QList<int> order;
    for (int i = 0; i < vocabulary; ++i)
        for (int k = 0; k <= i; ++k)
            order << i;
    QRandomGenerator rng(42);
    std::shuffle(order.begin(), order.end(), rng);
    QByteArray block;
    int n = 0;
    for (int i : order) {
        block += word(i);
        block += (++n % 16) ? ((n % 3) ? " " : ", ") : "\r";
        if (n % 97 == 0)
            block += "ab \xEF\xF0\xE8 ";
    }
    return block;
}

} // namespace

class TestBuildStress : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingDialogs m_dialogs;

private slots:
    void initTestCase()
    {
        Dialogs::install(&m_dialogs);
        QDir::setCurrent(m_dir.path());
    }
    void cleanupTestCase()
    {
        destroyForms();
        Dialogs::install(nullptr);
    }

    // Pause/continue toggles and close-and-restart cycles on a large source:
    // no deadlock, every failure reported once, a correct dictionary at the end.
    void togglesAndRestarts()
    {
        const QString src = m_dir.filePath(QStringLiteral("big.txt"));
        {
            QFile f(src);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const QByteArray block = makeBlock();
            for (int r = 0; r < blockRepeats; ++r)
                QCOMPARE(f.write(block), block.size());
        }
        const QString dst = m_dir.filePath(QStringLiteral("big.txt.slo"));
        const QString badDst = m_dir.filePath(QStringLiteral("no-such-folder/big.txt.slo"));
        {
            const QByteArray t = QFile::encodeName(m_dir.filePath("probe.slo"));
            QCOMPARE(createdicdll("/nonexistent", t.constData(), " ", 0, nullptr, nullptr), BRENVIK_SOURCE_NOT_FOUND);
        }

        createForms({QStringLiteral("zarvo")});
        Form2->SpinEdit1->setValue(5);
        Delims = QStringLiteral(" ,^p");
        QElapsedTimer clock;
        clock.start();
        int toggles = 0, failuresExpected = 0;
        constexpr int cycles = 20;
        for (int cycle = 0; cycle < cycles; ++cycle) {
            // At most one earlier build goes on in the background.
            QVERIFY(QTest::qWaitFor([] { return TThread1::jobs().size() <= 1; }, 60000));
            const bool last = cycle == cycles - 1;
            const bool failing = cycle % 2 == 1;
            SrcFile = src;
            DstFile = failing ? badDst : dst;
            failuresExpected += failing;
            Form3->open();
            QVERIFY(QTest::qWaitForWindowActive(Form3));
            QVERIFY(Form3->job());
            QCOMPARE(Form3->Button1->text(), QStringLiteral("Пауза"));
            for (int t = 0; t < 10; ++t, ++toggles) {
                QTest::mouseClick(Form3->Button1, Qt::LeftButton);
                QTest::qWait(3); // toggles spread over the build's run, on purpose
            }
            if (Form3->job() && Form3->job()->paused())
                QTest::mouseClick(Form3->Button1, Qt::LeftButton);
            if (last)
                QVERIFY(QTest::qWaitFor([] { return !Form3->isVisible(); }, 60000));
            else
                Form3->close();
        }
        QVERIFY2(QTest::qWaitFor([] { return !anyBuildRunning(); }, 60000), "a build did not end");
        qInfo("%d toggles, %d cycles in %lld ms", toggles, cycles, clock.elapsed());

        QCOMPARE(m_dialogs.texts.size(), failuresExpected);
        for (const QString &t : m_dialogs.texts)
            QCOMPARE(t, QStringLiteral("Файл ") + badDst + QStringLiteral(" не открыт"));

        // The dictionary: every long word once, short ones left out, ordered by frequency.
        QFile f(dst);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.value(0), QByteArray(" ,^p\r"));
        QHash<QByteArray, int> index;
        for (int i = 0; i < vocabulary; ++i)
            index.insert(word(i), i);
        QList<int> ranks;
        for (qsizetype l = 1; l < lines.size(); ++l) {
            QByteArray line = lines[l];
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty())
                continue;
            qsizetype p = 0;
            while (p < line.size() && uchar(line[p]) > 32)
                ++p;
            const QByteArray w = line.mid(p + 1);
            QVERIFY2(index.contains(w), w.constData());
            ranks << index.value(w);
        }
        QCOMPARE(ranks.size(), vocabulary);
        QVERIFY(std::is_sorted(ranks.begin(), ranks.end()) || std::is_sorted(ranks.rbegin(), ranks.rend()));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("big.txt.slo*")}, QDir::Files),
                 QStringList{QStringLiteral("big.txt.slo")});
    }
};

QTEST_MAIN(TestBuildStress)
#include "tst_build_stress.moc"
