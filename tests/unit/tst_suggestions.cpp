#include "core/cp1251.h"
#include "core/suggestionmodel.h"
#include "core/suggestions.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {

WordList wordList(const QStringList &words)
{
    WordList out;
    for (const QString &w : words) {
        QByteArray bytes;
        if (!cp1251::encode(w, bytes))
            qFatal("not Windows-1251");
        out.append(QByteArrayView(bytes));
    }
    return out;
}

QByteArray bytes(const QString &s)
{
    QByteArray out;
    cp1251::encode(s, out);
    return out;
}

std::vector<quint32> rows(const Matches &m)
{
    return {m.rows().begin(), m.rows().end()};
}

} // namespace

class TestSuggestions : public QObject
{
    Q_OBJECT
private slots:
    void matches_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QList<int>>("expected");

        const QStringList w{"when", "where", "who", "When", "whe", "wh", "w", "", "when", "whenever", "wHen"};
        QTest::newRow("three letters, duplicates kept, order kept") << w << "whe" << QList<int>{0, 1, 4, 8, 9};
        QTest::newRow("two letters") << w << "wh" << QList<int>{0, 1, 2, 4, 5, 8, 9};
        QTest::newRow("one letter") << w << "w" << QList<int>{0, 1, 2, 4, 5, 6, 8, 9, 10};
        QTest::newRow("capital never matches lower prefix") << w << "when" << QList<int>{0, 8, 9};
        QTest::newRow("whole word and longer") << w << "whenever" << QList<int>{9};
        QTest::newRow("longer than any word") << w << "wheneverr" << QList<int>{};
        QTest::newRow("no such first letter") << w << "x" << QList<int>{};
        QTest::newRow("empty prefix") << w << "" << QList<int>{};
        QTest::newRow("empty list") << QStringList{} << "w" << QList<int>{};
        QTest::newRow("Cyrillic") << QStringList{"при", "привет", "пр", "прям", "ПРИ", "п"} << "при"
                                  << QList<int>{0, 1};
        QTest::newRow("high bytes and controls") << QStringList{"\u0098a", "\u0098", "\ta b", "\t"} << "\u0098"
                                                 << QList<int>{0, 1};
    }

    void matches()
    {
        QFETCH(QStringList, words);
        QFETCH(QString, prefix);
        QFETCH(QList<int>, expected);
        const WordList list = wordList(words);
        const std::vector<quint32> want(expected.begin(), expected.end());
        QCOMPARE(rows(findMatches(list, bytes(prefix))), want);
        QCOMPARE(linearMatches(list, bytes(prefix)), want);
    }

    // The index gives the plain scan's answer for every prefix that occurs.
    void indexEqualsScan()
    {
        QRandomGenerator rng(12345);
        const QByteArray alphabet = bytes("абвгдеёжзиклмнопрстуфхцчшщьыэюяabcz");
        WordList list;
        for (int i = 0; i < 20000; ++i) {
            QByteArray w;
            const int len = int(rng.bounded(7));
            for (int k = 0; k < len; ++k)
                w.append(alphabet.at(rng.bounded(int(alphabet.size()))));
            list.append(QByteArrayView(w));
        }
        int checked = 0;
        for (qsizetype i = 0; i < list.size(); i += 7) {
            const QByteArrayView w = list.at(i);
            for (qsizetype len = 1; len <= w.size(); ++len) {
                const QByteArrayView prefix = w.first(len);
                if (rows(findMatches(list, prefix)) != linearMatches(list, prefix))
                    QFAIL(qPrintable(QStringLiteral("prefix %1").arg(cp1251::decode(prefix))));
                ++checked;
            }
        }
        QVERIFY(checked > 1000);
    }

    // Matches keep the words they point into, when the list is replaced or changed.
    void matchesOutliveTheirList()
    {
        WordList list = wordList({"when", "where"});
        const Matches m = findMatches(list, "wh");
        const Matches m3 = findMatches(list, "whe");
        list = wordList({"x"});
        QCOMPARE(m.size(), 2);
        QCOMPARE(m.word(1), QByteArrayView("where"));
        QCOMPARE(m3.word(0), QByteArrayView("when"));

        WordList grown = wordList({"ab"});
        const Matches a = findMatches(grown, "a");
        grown.append(QByteArrayView("ac"));
        QCOMPARE(a.size(), 1);
        QCOMPARE(findMatches(grown, "a").size(), 2);
    }

    void modelRefillIsOneReset()
    {
        SuggestionModel model;
        const WordList list = wordList({"when", "where", "who", "кот"});
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        model.setMatches(findMatches(list, "wh"));
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.data(model.index(2)).toString(), QStringLiteral("who"));
        model.setMatches(findMatches(list, bytes("к")));
        QCOMPARE(model.data(model.index(0)).toString(), QStringLiteral("кот"));
        QVERIFY(!model.data(model.index(1)).isValid());
        model.clear();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(reset.size(), 3);
        QCOMPARE(inserted.size() + removed.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSuggestions)
#include "tst_suggestions.moc"
