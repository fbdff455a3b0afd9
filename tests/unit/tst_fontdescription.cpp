#include "core/fontdescription.h"
#include "core/settingvalues.h"

#include <QTest>

#include <limits>

class TestFontSpec : public QObject
{
    Q_OBJECT

private slots:
    void sizeAndHeight_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("heightBack"); // the height that size gives
        QTest::newRow("design font") << -11 << 96 << 8 << -11;
        QTest::newRow("-20 gives 15 pt") << -20 << 96 << 15 << -20;
        QTest::newRow("half rounds away from zero") << -14 << 96 << 11 << -15;
        QTest::newRow("cell height") << 20 << 96 << -15 << 20;
        QTest::newRow("120 dpi") << -11 << 120 << 7 << -12;
        QTest::newRow("144 dpi") << -16 << 144 << 8 << -16;
        QTest::newRow("zero") << 0 << 96 << 0 << 0;
    }
    void sizeAndHeight()
    {
        QFETCH(int, height);
        QFETCH(int, dpi);
        QFETCH(int, size);
        QFETCH(int, heightBack);
        FontSpec f;
        f.height = height;
        QCOMPARE(f.size(dpi), size);
        QVERIFY(f.setSize(size, dpi));
        QCOMPARE(f.height, heightBack);
    }

    void sizeTooLargeKeepsHeight()
    {
        FontSpec f;
        QVERIFY(!f.setSize(std::numeric_limits<qint32>::max(), 96));
        QCOMPARE(f.height, -11);
        f.height = std::numeric_limits<qint32>::min();
        QCOMPARE(f.size(96), 1610612736);
        QVERIFY(!settingvalues::mulDiv(1, 1, 0));
    }

    void colours_data()
    {
        QPalette p;
        p.setColor(QPalette::Text, QColor(1, 2, 3));
        p.setColor(QPalette::Base, QColor(4, 5, 6));
        p.setColor(QPalette::Highlight, QColor(7, 8, 9));
        p.setColor(QPalette::ButtonText, QColor(10, 11, 12));
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("red byte") << p << qint32(255) << QColor(255, 0, 0);
        QTest::newRow("green byte") << p << qint32(0x00FF00) << QColor(0, 255, 0);
        QTest::newRow("blue byte") << p << qint32(0xFF0000) << QColor(0, 0, 255);
        QTest::newRow("mixed") << p << qint32(0x804020) << QColor(0x20, 0x40, 0x80);
        QTest::newRow("window text") << p << qint32(-16777208) << QColor(1, 2, 3);
        QTest::newRow("window") << p << qint32(0xFF000005u) << QColor(4, 5, 6);
        QTest::newRow("highlight") << p << qint32(0xFF00000Du) << QColor(7, 8, 9);
        QTest::newRow("button text") << p << qint32(0xFF000012u) << QColor(10, 11, 12);
        QTest::newRow("unknown system colour is black") << p << qint32(0xFF0000F0u) << QColor(0, 0, 0);
        QTest::newRow("palette-relative RGB") << p << qint32(0x020080FF) << QColor(255, 128, 0);
    }
    void colours()
    {
        QFETCH(QPalette, palette);
        QFETCH(qint32, value);
        QFETCH(QColor, expected);
        FontSpec f;
        f.color = value;
        QCOMPARE(f.toQColor(palette), expected);
    }

    void styles_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<bool>("strikeOut");
        QTest::newRow("none") << 0 << 0 << false << false << false << false;
        QTest::newRow("bold underline") << 5 << 5 << true << false << true << false;
        QTest::newRow("italic strikeout") << 10 << 10 << false << true << false << true;
        QTest::newRow("all") << 15 << 15 << true << true << true << true;
        QTest::newRow("bits above the four dropped") << 0x1F2 << 2 << false << true << false << false;
        QTest::newRow("negative") << -1 << 15 << true << true << true << true;
    }
    void styles()
    {
        QFETCH(int, stored);
        QFETCH(int, kept);
        FontSpec f;
        f.setStyle(stored);
        QCOMPARE(f.style, kept);
        const QFont q = f.toQFont(96);
        QTEST(q.bold(), "bold");
        QTEST(q.italic(), "italic");
        QTEST(q.underline(), "underline");
        QTEST(q.strikeOut(), "strikeOut");
        QCOMPARE(FontSpec::fromQFont(q, Qt::black, 96).style, kept);
    }

    void toQFont()
    {
        FontSpec f;
        QFont q = f.toQFont(96);
        QCOMPARE(q.family(), QString("MS Sans Serif"));
        QCOMPARE(q.pointSizeF(), 8.25); // 11 pixels
        f.height = -20;
        QCOMPARE(f.toQFont(96).pointSizeF(), 15.0);
        QCOMPARE(f.toQFont(120).pointSizeF(), 12.0);
        f.height = -2000000000; // shown clamped, never a font of that size
        QVERIFY(f.toQFont(96).pointSizeF() <= 1000.0);
        f.height = 0; // the toolkit's default size
        QVERIFY(f.toQFont(96).pointSizeF() > 0);
    }

    void pitch_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("fixed");
        QTest::newRow("default") << 0 << 0 << false;
        QTest::newRow("variable") << 1 << 1 << false;
        QTest::newRow("fixed") << 2 << 2 << true;
        QTest::newRow("unknown") << 3 << 0 << false;
        QTest::newRow("negative") << -2 << 0 << false;
    }
    void pitch()
    {
        QFETCH(int, stored);
        FontSpec f;
        f.setPitch(stored);
        QTEST(f.pitch, "kept");
        QTEST(f.toQFont(96).fixedPitch(), "fixed");
    }

    void fromDialog()
    {
        QFont q(QStringLiteral("DejaVu Sans"));
        q.setPointSize(12);
        q.setBold(true);
        const FontSpec f = FontSpec::fromQFont(q, QColor(0x10, 0x20, 0x30), 96);
        QCOMPARE(f.name, QString("DejaVu Sans"));
        QCOMPARE(f.height, -16);
        QCOMPARE(f.size(96), 12);
        QCOMPARE(f.style, 1);
        QCOMPARE(f.color, qint32(0x302010));

        // What the editor was given comes back unchanged from a dialog left as it was.
        FontSpec stored;
        stored.height = -13;
        stored.style = 6;
        stored.color = 0x0000FF;
        const FontSpec back = FontSpec::fromQFont(stored.toQFont(96), stored.toQColor(QPalette()), 96);
        QCOMPARE(back.height, stored.height);
        QCOMPARE(back.style, stored.style);
        QCOMPARE(back.color, stored.color);
        QCOMPARE(back.name, stored.name);

        QFont px(QStringLiteral("DejaVu Sans"));
        px.setPixelSize(17);
        QCOMPARE(FontSpec::fromQFont(px, Qt::black, 96).height, -17);
    }
};

QTEST_MAIN(TestFontSpec)
#include "tst_fontdescription.moc"
