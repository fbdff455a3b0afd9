#include "Unit5.h"
#include "platform/shell.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

// Records the addresses the window asks the platform to open.
class RecordingShell final : public Shell
{
public:
    QStringList opened;
    void openAddress(const QString &address) override { opened << address; }
};

QColor textColour(const QLabel *label)
{
    return label->palette().color(label->foregroundRole());
}

} // namespace

class TestAboutWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void window();
    void hoverUnderlinesLink();
    void clickOpensAddressAndStaysModal();
    void clickNeedsPressAndReleaseOnLink();
    void closingHidesAndReopens();

private:
    RecordingShell m_shell;
};

void TestAboutWindow::init()
{
    m_shell.opened.clear();
    Shell::install(&m_shell);
}

void TestAboutWindow::cleanup()
{
    Shell::install(nullptr);
}

void TestAboutWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("colour");
    const QColor black(0, 0, 0), red(255, 0, 0), blue(0, 0, 255);
    QTest::newRow("Label1") << "Label1" << QPoint(248, 24) << "Автор:" << true << black;
    QTest::newRow("Label2") << "Label2" << QPoint(320, 24) << QString::fromUtf8(About::authorName) << false << black;
    QTest::newRow("Label3") << "Label3" << QPoint(248, 64) << "Версия:" << true << black;
    QTest::newRow("Label4") << "Label4" << QPoint(320, 64) << "0.1" << false << red;
    QTest::newRow("Label5") << "Label5" << QPoint(248, 104) << "Мой сайт:" << true << black;
    QTest::newRow("Label6") << "Label6" << QPoint(320, 104) << "zarvo.example.org" << false << blue;
}

void TestAboutWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QPoint, position);
    QFETCH(QString, text);
    QFETCH(bool, bold);
    QFETCH(QColor, colour);
    TForm5 w(nullptr);
    w.show();
    auto *label = w.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->pos(), position);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->font().bold(), bold);
    QVERIFY(!label->font().underline());
    QCOMPARE(textColour(label), colour);
    // Sized to its text: nothing clipped.
    QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
}

void TestAboutWindow::window()
{
    TForm5 w(nullptr);
    QCOMPARE(w.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(w.pos(), QPoint(240, 166));
    QVERIFY(w.windowFlags() & Qt::WindowMinMaxButtonsHint);
    const QList<QSize> iconSizes = w.windowIcon().availableSizes();
    QCOMPARE(iconSizes, QList<QSize>{QSize(42, 32)});

    QCOMPARE(w.Image1->geometry(), QRect(8, 8, 217, 137));
    QCOMPARE(w.Image1->pixmap().size(), QSize(214, 134));
    QCOMPARE(w.Image1->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QCOMPARE(w.Bevel1->geometry(), QRect(232, 8, 17, 129));

    // The bevel is one lowered line at its left edge and nothing else.
    w.show();
    const QImage bevel = w.Bevel1->grab().toImage();
    const QColor face = w.palette().color(QPalette::Window);
    QCOMPARE(bevel.pixelColor(0, 60).rgb(), w.palette().color(QPalette::Dark).rgb());
    QCOMPARE(bevel.pixelColor(1, 60).rgb(), w.palette().color(QPalette::Light).rgb());
    QCOMPARE(bevel.pixelColor(8, 60).rgb(), face.rgb());

    QCOMPARE(w.Label6->focusPolicy(), Qt::NoFocus);
    QCOMPARE(w.Label6->cursor().shape(), Qt::ArrowCursor);
}

void TestAboutWindow::hoverUnderlinesLink()
{
    TForm5 w(nullptr);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QColor blue(0, 0, 255);

    QTest::mouseMove(&w, QPoint(100, 150)); // start outside the link
    QVERIFY(!w.Label6->font().underline());
    QTest::mouseMove(w.Label6, w.Label6->rect().center());
    QTRY_VERIFY(w.Label6->font().underline());
    QCOMPARE(textColour(w.Label6), blue);
    QTest::mouseMove(&w, QPoint(100, 150));
    QTRY_VERIFY(!w.Label6->font().underline());
    QCOMPARE(textColour(w.Label6), blue);
    // Hovering never opens anything, and the other labels are untouched.
    QVERIFY(m_shell.opened.isEmpty());
    QVERIFY(!w.Label5->font().underline());
}

void TestAboutWindow::clickOpensAddressAndStaysModal()
{
    TForm5 w(nullptr);
    bool checked = false;
    QTimer::singleShot(0, &w, [&] {
        QCOMPARE(QApplication::activeModalWidget(), &w);
        QTest::mouseClick(w.Label6, Qt::LeftButton, {}, w.Label6->rect().center());
        QCOMPARE(m_shell.opened, QStringList{QString::fromUtf8(About::webAddress)});
        QVERIFY(w.isVisible());
        QCOMPARE(QApplication::activeModalWidget(), &w);
        checked = true;
        w.close();
    });
    w.exec();
    QVERIFY(checked);
    QVERIFY(!w.isVisible());
    QCOMPARE(m_shell.opened.size(), 1);
}

void TestAboutWindow::clickNeedsPressAndReleaseOnLink()
{
    TForm5 w(nullptr);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Right button, or a press on the link released elsewhere, or a click next to it: nothing.
    QTest::mouseClick(w.Label6, Qt::RightButton, {}, w.Label6->rect().center());
    QTest::mousePress(w.Label6, Qt::LeftButton, {}, w.Label6->rect().center());
    QTest::mouseRelease(w.Label6, Qt::LeftButton, {}, QPoint(-30, -30));
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(300, 130));
    QTest::mouseClick(w.Label4, Qt::LeftButton);
    QVERIFY(m_shell.opened.isEmpty());
    QTest::mouseClick(w.Label6, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(m_shell.opened.size(), 1);
}

// Only the title bar closes the window: its keys do nothing. Closing hides it, and the next
// opening shows the same window again.
void TestAboutWindow::closingHidesAndReopens()
{
    TForm5 w(nullptr);
    for (int round = 0; round < 2; ++round) {
        bool survivedKeys = false;
        QTimer::singleShot(0, &w, [&] {
            QTest::keyClick(&w, Qt::Key_Escape);
            QTest::keyClick(&w, Qt::Key_Return);
            survivedKeys = w.isVisible();
            w.close();
        });
        w.exec();
        QVERIFY(survivedKeys);
        QVERIFY(!w.isVisible());
        QVERIFY(!w.testAttribute(Qt::WA_DeleteOnClose));
    }
}

QTEST_MAIN(TestAboutWindow)
#include "tst_about_window.moc"
