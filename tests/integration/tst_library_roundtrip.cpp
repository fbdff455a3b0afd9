#include "core/cp1251.h"
#include "core/dictionaryfile.h"
#include "textdict/textdict.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

// The library and the loader together: what one writes, the other reads.
namespace {

using Status = dictionaryfile::Status;

QByteArray cp(const QString &s)
{
    QByteArray out;
    cp1251::encode(s, out);
    return out;
}

} // namespace

class TestLibraryRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    // A dictionary the library builds from a text loads back word for word.
    void libraryRoundTrip()
    {
        const QByteArray text = cp("Мама мыла раму, а рама мыла маму. Мама; рама! ") +
                                "The cat and the dog (and the bird) ran.";
        const QString src = m_dir.filePath("text.txt");
        const QString dst = m_dir.filePath("text.txt.slo");
        QFile f(src);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        const QByteArray delims = "+-*/;.\" ',!?()[]{}^p^t";
        const int rc = createdicdll(textdict::nativePath(src).constData(), textdict::nativePath(dst).constData(),
                                    delims.constData(), 3, nullptr, nullptr);
        QCOMPARE(rc, 0);

        dictionaryfile::Parsed parsed;
        QCOMPARE(dictionaryfile::read(dst, parsed), Status::Ok);
        QVERIFY(!parsed.invalidNumber);
        QCOMPARE(parsed.firstLine, delims);

        // The same words in the same order as the file's lines.
        QFile d(dst);
        QVERIFY(d.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = d.readAll().split('\n');
        lines.removeFirst();
        QList<QByteArray> fromLines;
        for (QByteArray line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.isEmpty())
                continue;
            const qsizetype sep = std::find_if(line.begin(), line.end(), [](char c) { return uchar(c) <= 32; })
                                  - line.begin();
            fromLines.append(line.mid(sep + 1));
        }
        QCOMPARE(parsed.words.size(), fromLines.size());
        for (qsizetype i = 0; i < fromLines.size(); ++i)
            QCOMPARE(parsed.words.at(i).toByteArray(), fromLines.at(i));

        // And they are the text's words of three or more letters, lower-cased, each once.
        QSet<QByteArray> expected;
        QByteArray word;
        const auto flush = [&] {
            if (word.size() >= 3)
                expected.insert(textdict::lowered(word));
            word.clear();
        };
        for (char c : text) {
            if (QByteArray("+-*/;.\" ',!?()[]{}").contains(c))
                flush();
            else
                word.append(c);
        }
        flush();
        QSet<QByteArray> got;
        for (qsizetype i = 0; i < parsed.words.size(); ++i)
            got.insert(parsed.words.at(i).toByteArray());
        QCOMPARE(got.size(), parsed.words.size());
        QCOMPARE(got, expected);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestLibraryRoundTrip)
#include "tst_library_roundtrip.moc"
