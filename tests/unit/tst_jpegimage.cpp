#include "core/jpegimage.h"

#include <QFile>
#include <QTest>

namespace {

QString dataPath(const QString &name)
{
    return qEnvironmentVariable("ZARVO_TEST_DATA") + QStringLiteral("/about/") + name;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Within a tolerance that absorbs JPEG's colour loss.
bool near(QRgb actual, QRgb expected, int tolerance = 40)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance
           && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
           && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

} // namespace

class TestJpegImage : public QObject
{
    Q_OBJECT
private slots:
    void picture_data();
    void picture();
    void damaged_data();
    void damaged();
    void everyTruncation();
};

// The About picture as the program loads it, and the same picture stored other ways.
void TestJpegImage::picture_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("colour");
    QTest::newRow("resource") << QStringLiteral(":/about.jpg") << true;
    QTest::newRow("progressive") << dataPath(QStringLiteral("progressive.jpg")) << true;
    QTest::newRow("greyscale") << dataPath(QStringLiteral("gray.jpg")) << false;
}

void TestJpegImage::picture()
{
    QFETCH(QString, path);
    QFETCH(bool, colour);
    const QImage image = loadJpeg(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(214, 134));
    QCOMPARE(image.format(), QImage::Format_RGB888);

    // Landmarks of the picture: night-blue sky at the top, the sun, green hills below, in
    // the right channels (a swapped R/B order or a misplaced row stride shows up here).
    const QRgb sky = image.pixel(200, 3);
    const QRgb sun = image.pixel(160, 48);
    const QRgb hill = image.pixel(107, 128);
    if (colour) {
        QVERIFY(near(sky, qRgb(0x1b, 0x3a, 0x7a)));
        QVERIFY(near(sun, qRgb(0xff, 0xe2, 0x7a)));
        QVERIFY(near(hill, qRgb(0x24, 0x50, 0x2c)));
    } else {
        QVERIFY(qIsGray(sky) || near(sky, qRgb(qRed(sky), qRed(sky), qRed(sky)), 2));
        QVERIFY(qGray(sun) > qGray(sky) + 100);
    }
}

void TestJpegImage::damaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = readAll(QStringLiteral(":/about.jpg"));
    QVERIFY(!good.isEmpty());
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated half") << readAll(dataPath(QStringLiteral("truncated.jpg")));
    QTest::newRow("header only") << readAll(dataPath(QStringLiteral("header-only.jpg")));
    QTest::newRow("garbage after SOI") << readAll(dataPath(QStringLiteral("garbage.jpg")));
    QTest::newRow("not a jpeg") << QByteArray("\x89PNG\r\n\x1a\n0000000000000000", 24);
    QTest::newRow("only SOI") << QByteArray("\xff\xd8", 2);
    QByteArray scrambled = good;
    for (qsizetype i = good.size() / 3; i < good.size() - 2; i += 7)
        scrambled[i] = char(0xff ^ scrambled[i]);
    QTest::newRow("scrambled scan") << scrambled;
    // Width and height 0xFFFF: refused before anything is allocated.
    QByteArray huge = good;
    const qsizetype sof = huge.indexOf(QByteArray("\xff\xc0", 2));
    QVERIFY(sof > 0);
    huge[sof + 5] = huge[sof + 6] = huge[sof + 7] = huge[sof + 8] = char(0xff);
    QTest::newRow("huge dimensions") << huge;
}

// Damage of any kind gives a null image: no crash, no grey-filled half picture.
void TestJpegImage::damaged()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(decodeJpeg(bytes).isNull());
}

// Cutting the picture anywhere is caught; the complete picture still decodes afterwards,
// so a failed decode leaves nothing behind.
void TestJpegImage::everyTruncation()
{
    const QByteArray good = readAll(QStringLiteral(":/about.jpg"));
    for (qsizetype length = 0; length < good.size() - 2; length += 13)
        QVERIFY2(decodeJpeg(good.left(length)).isNull(), qPrintable(QString::number(length)));
    QCOMPARE(decodeJpeg(good).size(), QSize(214, 134));
    QVERIFY(loadJpeg(dataPath(QStringLiteral("missing.jpg"))).isNull());
}

QTEST_GUILESS_MAIN(TestJpegImage)
#include "tst_jpegimage.moc"
