#include "core/search.h"

#include <QTest>

using namespace Qt::StringLiterals;
using search::Options;
using search::Outcome;

namespace {

// A document with a selection, as the editor would hold it.
class FakeEditor : public search::Target
{
public:
    QString text;
    int start = 0;
    int length = 0;
    int finds = 0;

    int selStart() const override { return start; }
    int selLength() const override { return length; }
    void setSelStart(int p) override { start = p; length = 0; }
    void setSelLength(int n) override { length = qMin(n, int(text.size()) - start); }
    int textLength() const override { return int(text.size()); }
    int find(const QString &what, int from, int n, Options o) override
    {
        ++finds;
        return int(search::find(text, what, from, n, o));
    }
    void replaceSelection(const QString &with) override
    {
        text.replace(start, length, with);
        start += int(with.size());
        length = 0;
    }
};

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT
private slots:
    void find_data();
    void find();
    void doFind_data();
    void doFind();
    void refineWhileTyping();
    void replaceAll_data();
    void replaceAll();
};

void TestSearch::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length"); // -1: to the end
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << u"abc abd"_s << u"abd"_s << 0 << -1 << false << false << 4;
    QTest::newRow("from start position") << u"ab ab"_s << u"ab"_s << 1 << -1 << false << false << 3;
    QTest::newRow("hit at start position") << u"ab ab"_s << u"ab"_s << 3 << -1 << false << false << 3;
    QTest::newRow("hit must end within range") << u"xxab"_s << u"ab"_s << 0 << 3 << false << false << -1;
    QTest::newRow("range shorter than text") << u"ab"_s << u"abc"_s << 0 << -1 << false << false << -1;
    QTest::newRow("empty text") << u"abc"_s << u""_s << 0 << -1 << false << false << -1;
    QTest::newRow("case folded") << u"a Cat"_s << u"cat"_s << 0 << -1 << false << false << 2;
    QTest::newRow("case kept") << u"a Cat cat"_s << u"cat"_s << 0 << -1 << false << true << 6;
    QTest::newRow("cyrillic folded") << u"Мир мир"_s << u"МИР"_s << 1 << -1 << false << false << 4;
    QTest::newRow("yo folded") << u"ещё ЕЩЁ"_s << u"ЕЩЁ"_s << 0 << -1 << false << false << 0;
    QTest::newRow("yo kept") << u"ещё ЕЩЁ"_s << u"ЕЩЁ"_s << 0 << -1 << false << true << 4;
    QTest::newRow("yo is no ye") << u"еще"_s << u"ещё"_s << 0 << -1 << false << false << -1;
    QTest::newRow("inside a word") << u"concatenate"_s << u"cat"_s << 0 << -1 << false << false << 3;
    QTest::newRow("whole word inside") << u"concatenate"_s << u"cat"_s << 0 << -1 << true << false << -1;
    QTest::newRow("whole word skips part") << u"cats cat"_s << u"cat"_s << 0 << -1 << true << false << 5;
    QTest::newRow("whole word at edges") << u"cat"_s << u"cat"_s << 0 << -1 << true << false << 0;
    QTest::newRow("digit joins word") << u"cat1 cat"_s << u"cat"_s << 0 << -1 << true << false << 5;
    QTest::newRow("underscore joins word") << u"_cat cat"_s << u"cat"_s << 0 << -1 << true << false << 5;
    QTest::newRow("punctuation delimits") << u"(cat)"_s << u"cat"_s << 0 << -1 << true << false << 1;
    QTest::newRow("cyrillic whole word") << u"котик кот"_s << u"кот"_s << 0 << -1 << true << false << 6;
    QTest::newRow("word beyond range end") << u"cat catx"_s << u"cat"_s << 4 << 3 << true << false << -1;
    QTest::newRow("non-word edge of needle") << u"a-b"_s << u"-b"_s << 0 << -1 << true << false << 1;
    QTest::newRow("newline delimits") << u"x\ncat\n"_s << u"cat"_s << 0 << -1 << true << false << 2;
}

void TestSearch::find()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, wholeWord);
    QFETCH(bool, matchCase);
    QFETCH(int, expected);
    if (length < 0)
        length = int(text.size()) - start;
    QCOMPARE(search::find(text, what, start, length, {wholeWord, matchCase}), qsizetype(expected));
    // The folded copy the editor keeps gives the same hits.
    QCOMPARE(search::find(text, text.toCaseFolded(), what, start, length, {wholeWord, matchCase}),
             qsizetype(expected));
}

void TestSearch::doFind_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newLength");

    const int found = int(Outcome::Found), missing = int(Outcome::NotFound), empty = int(Outcome::EmptyText);
    QTest::newRow("next after selection") << u"ab ab ab"_s << 3 << 2 << u"ab"_s << 13 << found << 6 << 2;
    QTest::newRow("next wraps from last") << u"ab ab ab"_s << 6 << 2 << u"ab"_s << 13 << found << 0 << 2;
    QTest::newRow("next sole occurrence again") << u"x ab x"_s << 2 << 2 << u"ab"_s << 13 << found << 2 << 2;
    QTest::newRow("next ignores caret") << u"ab ab"_s << 5 << 0 << u"ab"_s << 13 << found << 0 << 2;
    QTest::newRow("next failed wrap") << u"hello"_s << 1 << 2 << u"zz"_s << 13 << missing << 1 << 0;
    QTest::newRow("next from nothing fails") << u"hello"_s << 3 << 0 << u"zz"_s << 13 << missing << 3 << 0;
    QTest::newRow("refine keeps match") << u"abc abd"_s << 0 << 2 << u"abc"_s << 67 << found << 0 << 3;
    QTest::newRow("refine failure keeps selection") << u"abc abd"_s << 4 << 3 << u"abdx"_s << 88 << missing << 4 << 3;
    QTest::newRow("refine does not wrap") << u"ab xy"_s << 3 << 2 << u"ab"_s << 66 << missing << 3 << 2;
    QTest::newRow("empty text empties selection") << u"abc"_s << 1 << 2 << u""_s << 13 << empty << 1 << 0;
    QTest::newRow("empty document") << u""_s << 0 << 0 << u"a"_s << 13 << missing << 0 << 0;
}

void TestSearch::doFind()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, what);
    QFETCH(int, key);
    QFETCH(int, outcome);
    FakeEditor e;
    e.text = text;
    e.start = start;
    e.length = length;
    QFETCH(int, newStart);
    QFETCH(int, newLength);
    QCOMPARE(int(search::doFind(e, what, key, {})), outcome);
    QCOMPARE(e.start, newStart);
    QCOMPARE(e.length, newLength);
    // A wrap searches twice at most; anything else once.
    QVERIFY(e.finds <= 2);
}

void TestSearch::refineWhileTyping()
{
    // Each release searches from the start of the selection with the field's text.
    FakeEditor e;
    e.text = QStringLiteral("abc abd");
    struct Step { const char *field; int key; Outcome outcome; int start, length; };
    const Step steps[] = {
        {"a", 'A', Outcome::Found, 0, 1},
        {"ab", 'B', Outcome::Found, 0, 2},
        {"abd", 'D', Outcome::Found, 4, 3},
        {"abdx", 'X', Outcome::NotFound, 4, 3},
        {"abd", 8, Outcome::Found, 4, 3},
    };
    for (const Step &s : steps) {
        QCOMPARE(search::doFind(e, QString::fromLatin1(s.field), s.key, {}), s.outcome);
        QCOMPARE(e.start, s.start);
        QCOMPARE(e.length, s.length);
    }
    QCOMPARE(search::outcomeColor(Outcome::NotFound), 0x00C0C0FFu);
    QCOMPARE(search::outcomeColor(Outcome::EmptyText), 0x00FFFFFFu);
}

void TestSearch::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("with");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("expected"); // empty: nothing replaced
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("caret"); // just after the last inserted text

    QTest::newRow("grows, inserted text not searched") << u"a b a"_s << u"a"_s << u"aa"_s << false << false << u"aa b aa"_s << 2 << 7;
    QTest::newRow("case folded") << u"a A b"_s << u"a"_s << u"A"_s << false << false << u"A A b"_s << 2 << 3;
    QTest::newRow("case kept") << u"a A b"_s << u"a"_s << u"X"_s << false << true << u"X A b"_s << 1 << 1;
    QTest::newRow("no occurrence") << u"hello"_s << u"z"_s << u"y"_s << false << false << u""_s << 0 << 0;
    QTest::newRow("to nothing") << u"xaxbx"_s << u"x"_s << u""_s << false << false << u"ab"_s << 3 << 2;
    QTest::newRow("overlapping taken left to right") << u"aaa"_s << u"aa"_s << u"b"_s << false << false << u"ba"_s << 1 << 1;
    QTest::newRow("whole words only") << u"cat concat cat"_s << u"cat"_s << u"dog"_s << true << false << u"dog concat dog"_s << 2 << 14;
    QTest::newRow("cyrillic yo") << u"Ёж ёж еж"_s << u"ёж"_s << u"ЁЖ"_s << false << false << u"ЁЖ ЁЖ еж"_s << 2 << 5;
    QTest::newRow("adjacent words judged on the original")
        << u"x-x-"_s << u"x-"_s << u"xy"_s << true << false << u"xyxy"_s << 2 << 4;
    QTest::newRow("across lines") << u"a\na\n"_s << u"a\n"_s << u"b"_s << false << false << u"bb"_s << 2 << 2;
}

void TestSearch::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(QString, with);
    QFETCH(bool, wholeWord);
    QFETCH(bool, matchCase);
    QFETCH(QString, expected);
    QFETCH(int, count);
    QFETCH(int, caret);
    const search::ReplaceAllResult r = search::replaceAll(text, what, with, {wholeWord, matchCase});
    QCOMPARE(r.count, count);
    if (count == 0)
        return;
    QCOMPARE(r.text, expected);
    QCOMPARE(r.caret, qsizetype(caret));
}

QTEST_APPLESS_MAIN(TestSearch)
#include "tst_search.moc"
