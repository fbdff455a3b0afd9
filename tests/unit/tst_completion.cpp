#include "core/completion.h"
#include "core/cp1251.h"
#include "core/documentwords.h"
#include "core/learnedwords.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

namespace {

// ASCII and Russian letters in lower case, as the library lowers them.
DocumentWords::LowerTable lowerTable()
{
    DocumentWords::LowerTable t{};
    for (int b = 0; b < 256; ++b)
        t[size_t(b)] = uchar(b);
    for (int b = 'A'; b <= 'Z'; ++b)
        t[size_t(b)] = uchar(b + 32);
    for (int b = 0xC0; b <= 0xDF; ++b)
        t[size_t(b)] = uchar(b + 32);
    return t;
}

QByteArray w1251(const QString &s)
{
    QByteArray out;
    cp1251::encode(s, out);
    return out;
}

template <typename Bytes> QStringList texts(const std::vector<Bytes> &words)
{
    QStringList out;
    for (const Bytes &w : words)
        out << cp1251::decode(w);
    return out;
}

WordList wordList(const QStringList &words)
{
    WordList list;
    for (const QString &w : words)
        list.append(w1251(w));
    return list;
}

QStringList items(const SuggestionItems &s)
{
    QStringList out;
    for (qsizetype i = 0; i < s.size(); ++i)
        out << cp1251::decode(s.word(i));
    return out;
}

DocumentWords document(const QString &text)
{
    DocumentWords d(lowerTable(), DelimiterSet(defaultDelimiterSpec()));
    d.reset(text);
    return d;
}

} // namespace

class TestCompletion : public QObject
{
    Q_OBJECT
private slots:
    void documentWordsOrder_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("skipOnce");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("most frequent first, ties by first appearance")
            << "beta bet, Best best\nbetter.beta"
            << "be"
            << "" << QStringList{"beta", "best", "bet", "better"};
        QTest::newRow("the prefix itself is no suggestion") << "be bee be"
                                                            << "be"
                                                            << "" << QStringList{"bee"};
        QTest::newRow("one letter") << "Дом дым да"
                                    << "д"
                                    << "" << QStringList{"дом", "дым", "да"};
        QTest::newRow("the word being typed, once") << "hello help"
                                                    << "hel"
                                                    << "help" << QStringList{"hello"};
        QTest::newRow("a word typed elsewhere too stays") << "help hello help"
                                                          << "hel"
                                                          << "help" << QStringList{"help", "hello"};
        QTest::newRow("characters Windows-1251 lacks") << "abc\u0100d abcd"
                                                       << "ab"
                                                       << "" << QStringList{"abcd"};
        QTest::newRow("tabs and line ends split") << "one\ttwo\r\nthree"
                                                  << "t"
                                                  << "" << QStringList{"two", "three"};
    }
    void documentWordsOrder()
    {
        QFETCH(QString, text);
        QFETCH(QString, prefix);
        QFETCH(QString, skipOnce);
        QFETCH(QStringList, expected);
        const DocumentWords d = document(text);
        QCOMPARE(texts(d.startingWith(w1251(prefix), w1251(skipOnce))), expected);
    }

    // Any run of line edits leaves the same counts as counting the final text anew.
    void documentWordsFollowEdits()
    {
        QRandomGenerator rng(1251);
        const QStringList vocabulary{"alpha", "beta", "gamma", "мир", "мираж", "b", "", "delta,epsilon"};
        QStringList lines{"alpha beta", "", "мир мираж мир"};
        DocumentWords d = document(lines.join(u'\n'));
        for (int step = 0; step < 400; ++step) {
            const qsizetype first = rng.bounded(int(lines.size()) + 1);
            const qsizetype removed = std::min<qsizetype>(rng.bounded(3), lines.size() - first);
            std::vector<QString> added;
            for (int k = rng.bounded(3); k > 0; --k) {
                QString line;
                for (int n = rng.bounded(4); n > 0; --n)
                    line += vocabulary.at(rng.bounded(int(vocabulary.size()))) + QLatin1Char(' ');
                added.push_back(line);
            }
            if (lines.size() - removed + qsizetype(added.size()) == 0)
                added.push_back(QString()); // a document has at least one line
            d.replaceLines(first, removed, added);
            lines.remove(first, removed);
            for (qsizetype k = 0; k < qsizetype(added.size()); ++k)
                lines.insert(first + k, added[size_t(k)]);
            QCOMPARE(d.lineCount(), lines.size());
            const DocumentWords fresh = document(lines.join(u'\n'));
            QCOMPARE(d.distinctWords(), fresh.distinctWords());
            for (const QString &w : vocabulary)
                QCOMPARE(d.count(w1251(w)), fresh.count(w1251(w)));
            // First appearances may differ from a fresh count's; the words and counts may not.
            for (const QString &prefix : {QStringLiteral("a"), QStringLiteral("м"), QStringLiteral("e")}) {
                QStringList got = texts(d.startingWith(w1251(prefix)));
                QStringList want = texts(fresh.startingWith(w1251(prefix)));
                got.sort();
                want.sort();
                QCOMPARE(got, want);
            }
        }
    }

    // A large text is counted in two halves at once: the same counts and the
    // same order of first appearance as counting it line by line.
    void largeTextCountsAsLineByLine()
    {
        QRandomGenerator rng(866);
        QStringList lines;
        qsizetype size = 0;
        while (size < (3 << 19)) {
            QString line;
            for (int n = rng.bounded(12); n > 0; --n)
                line += QStringLiteral("w%1 ").arg(rng.bounded(5000), 0, 36) + (n % 5 ? "" : "Слово ");
            size += line.size() + 1;
            lines << line;
        }
        const QString text = lines.join(u'\n');
        const DocumentWords whole = document(text);
        DocumentWords byLine = document(QString());
        byLine.replaceLines(0, 1, std::vector<QString>(lines.cbegin(), lines.cend()));
        QCOMPARE(whole.lineCount(), byLine.lineCount());
        QCOMPARE(whole.distinctWords(), byLine.distinctWords());
        for (const char *prefix : {"w", "w1", "wa"})
            QCOMPARE(whole.startingWith(prefix), byLine.startingWith(prefix));
        QCOMPARE(whole.count(w1251(QStringLiteral("слово"))), byLine.count(w1251(QStringLiteral("слово"))));
        QVERIFY(whole.count(w1251(QStringLiteral("слово"))) > 1000);
    }

    void learnedWords()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("words.learned");
        LearnedWords l;
        for (const char *w : {"zebra", "zeal", "zebra", "zest", "zebra", "zeal"})
            l.finished(w);
        QCOMPARE(l.count("zebra"), 3u);
        l.save(file);
        QCOMPARE(testfiles::read(file), QByteArray("zarvo-learned 1\r\n3 zebra\r\n2 zeal\r\n1 zest\r\n"));
        LearnedWords back;
        back.load(file);
        QCOMPARE(texts(back.startingWith("ze", 1)), (QStringList{"zebra", "zeal", "zest"}));
        QCOMPARE(texts(back.startingWith("ze", 2)), (QStringList{"zebra", "zeal"}));
        QVERIFY(back.startingWith("zebra", 1).empty()); // never the prefix itself
    }

    // A damaged or missing file is no error: nothing is learned from it.
    void damagedLearnedFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no header") << QByteArray("3 zebra\r\n");
        QTest::newRow("another header") << QByteArray("zarvo-learned 9\r\n3 zebra\r\n");
        QTest::newRow("not a number") << QByteArray("zarvo-learned 1\r\nx zebra\r\n");
        QTest::newRow("zero") << QByteArray("zarvo-learned 1\r\n0 zebra\r\n");
        QTest::newRow("no word") << QByteArray("zarvo-learned 1\r\n3 \r\n");
        QTest::newRow("two words") << QByteArray("zarvo-learned 1\r\n3 ze bra\r\n");
        QTest::newRow("huge count") << QByteArray("zarvo-learned 1\r\n99999999999999999999 zebra\r\n");
        QTest::newRow("binary") << QByteArray("\x00\xff\x01zarvo", 8);
        QTest::newRow("missing") << QByteArray();
    }
    void damagedLearnedFile()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString file = dir.filePath("w.learned");
        if (!content.isNull())
            testfiles::write(file, content);
        LearnedWords l;
        l.finished("kept");
        l.load(file);
        QVERIFY(l.isEmpty());
        l.load(dir.path()); // a folder
        QVERIFY(l.isEmpty());
    }

    void wordSet()
    {
        const WordList list = wordList({"when", "where", "who", "when"});
        const WordSet set(list);
        QCOMPARE(set.indexOf("where"), 1);
        QCOMPARE(set.indexOf("when"), 0); // the first of a word listed twice
        QCOMPARE(set.indexOf("wh"), -1);
        QVERIFY(!set.contains(""));
    }

    void merged_data()
    {
        QTest::addColumn<QStringList>("dictionary");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("finished");
        QTest::addColumn<bool>("learn");
        QTest::addColumn<bool>("docWords");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        const QStringList dict{"when", "where", "whale"};
        QTest::newRow("both off: the dictionary alone")
            << dict << "whisky whisky" << QStringList{"whale", "whale"} << false << false << "wh"
            << "wh" << dict;
        QTest::newRow("document words after the dictionary's, none twice")
            << dict << "whisky where whim whisky wh" << QStringList() << false << true << "wh"
            << "wh" << QStringList{"when", "where", "whale", "whisky", "whim"};
        QTest::newRow("the word being typed is left out")
            << dict << "whisky whirl" << QStringList() << false << true << "whi"
            << "whirl" << QStringList{"whisky"};
        QTest::newRow("finished twice moves up, ahead of every other")
            << dict << "" << QStringList{"whale", "whale", "where"} << true << false << "wh"
            << "wh" << QStringList{"whale", "when", "where"};
        QTest::newRow("finished once: offered when the dictionary lacks it")
            << dict << "" << QStringList{"whoa", "wharf", "wharf"} << true << false << "wh"
            << "wh" << QStringList{"wharf", "when", "where", "whale", "whoa"};
        QTest::newRow("learned and document words together")
            << dict << "whim whoa" << QStringList{"whoa"} << true << true << "wh"
            << "wh" << QStringList{"when", "where", "whale", "whoa", "whim"};
        QTest::newRow("Russian") << QStringList{"привет", "приход"} << "прием прием" << QStringList{"приход", "приход"}
                                 << true << true << "при"
                                 << "при" << QStringList{"приход", "привет", "прием"};
    }
    void merged()
    {
        QFETCH(QStringList, dictionary);
        QFETCH(QString, text);
        QFETCH(QStringList, finished);
        QFETCH(bool, learn);
        QFETCH(bool, docWords);
        QFETCH(QString, prefix);
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        const WordList words = wordList(dictionary);
        const WordSet set(words);
        LearnedWords learned;
        for (const QString &w : finished)
            learned.finished(w1251(w));
        const DocumentWords doc = document(text);
        const SuggestionItems s = mergeSuggestions(findMatches(words, w1251(prefix)), w1251(prefix), w1251(typed), &set,
                                                   learn ? &learned : nullptr, docWords ? &doc : nullptr);
        QCOMPARE(items(s), expected);
    }
};

QTEST_APPLESS_MAIN(TestCompletion)
#include "tst_completion.moc"
