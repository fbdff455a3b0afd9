#include "core/delimiters.h"

#include <QTest>

class TestDelimiters : public QObject
{
    Q_OBJECT

private slots:
    void expansion_data()
    {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QString>("chars");
        QTest::newRow("plain") << "ab" << "ab";
        QTest::newRow("escapes") << "^p^t" << QString(QChar(13)) + QChar(9);
        QTest::newRow("escaped caret") << "^^" << "^";
        QTest::newRow("escaped other") << "^x^P" << "xP";
        QTest::newRow("final caret is code 0") << "ab^" << QStringLiteral("ab") + QChar(0);
        QTest::newRow("lone caret") << "^" << QString(QChar(0));
        QTest::newRow("p and t unescaped") << "pt" << "pt";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("cyrillic") << "ё^я" << "ёя";
    }
    void expansion()
    {
        QFETCH(QString, notation);
        QFETCH(QString, chars);
        QCOMPARE(expandDelimiterSpec(notation), chars);
    }

    void membership_data()
    {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QChar>("c");
        QTest::addColumn<bool>("delimiter");
        const QString def = defaultDelimiterSpec();
        QTest::newRow("default blank") << def << QChar(' ') << true;
        QTest::newRow("default full stop") << def << QChar('.') << true;
        QTest::newRow("default tab") << def << QChar(9) << true;
        QTest::newRow("default CR") << def << QChar(13) << true;
        QTest::newRow("default brace") << def << QChar('}') << true;
        QTest::newRow("default quote") << def << QChar('"') << true;
        QTest::newRow("default LF") << def << QChar(10) << false;
        QTest::newRow("default letter p") << def << QChar('p') << false;
        QTest::newRow("default letter t") << def << QChar('t') << false;
        QTest::newRow("default caret") << def << QChar('^') << false;
        QTest::newRow("default digit") << def << QChar('7') << false;
        QTest::newRow("default cyrillic") << def << QChar(0x0436) << false;
        QTest::newRow("ab^ a") << "ab^" << QChar('a') << true;
        QTest::newRow("ab^ b") << "ab^" << QChar('b') << true;
        QTest::newRow("ab^ caret") << "ab^" << QChar('^') << false;
        QTest::newRow("ab^ code 0") << "ab^" << QChar(0) << true;
        QTest::newRow("case exact") << "a" << QChar('A') << false;
        QTest::newRow("high code") << "x№" << QChar(0x2116) << true;
        QTest::newRow("high code absent") << "x№" << QChar(0x2117) << false;
        QTest::newRow("code 255") << QString(QChar(255)) << QChar(255) << true;
        QTest::newRow("code 256 is no alias of 0") << QString(QChar(0)) << QChar(256) << false;
        QTest::newRow("empty notation") << "" << QChar(' ') << false;
    }
    void membership()
    {
        QFETCH(QString, notation);
        QFETCH(QChar, c);
        QFETCH(bool, delimiter);
        QCOMPARE(DelimiterSet(notation).contains(c), delimiter);
        CachedDelimiterSet cached;
        QCOMPARE(cached.contains(notation, c), delimiter);
    }

    void wordLeftOfTheCaret_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("word");
        QTest::newRow("whole word") << "one two" << 7 << "two";
        QTest::newRow("mid-word: the left part") << "whoever" << 2 << "wh";
        QTest::newRow("after a delimiter") << "one " << 4 << "";
        QTest::newRow("line start") << "one" << 0 << "";
        QTest::newRow("Russian after punctuation") << u"да,при"_qs << 6 << u"при"_qs;
        QTest::newRow("column past the end") << "ab" << 9 << "ab";
        QTest::newRow("tab delimits") << "a\tbc" << 4 << "bc";
    }
    void wordLeftOfTheCaret()
    {
        QFETCH(QString, line);
        QFETCH(int, column);
        QFETCH(QString, word);
        const DelimiterSet set(defaultDelimiterSpec());
        QCOMPARE(wordLeftOf(line, column, [&](QChar c) { return set.contains(c); }).toString(), word);
    }

    void wordLeftOfAsksTheCurrentDelimiters()
    {
        // The delimiter field may change between two calls; nothing is kept.
        QString notation = QStringLiteral("-");
        CachedDelimiterSet cache;
        const auto isDelimiter = [&](QChar c) { return cache.contains(notation, c); };
        QCOMPARE(wordLeftOf(u"a-b c", 5, isDelimiter).toString(), QStringLiteral("b c"));
        notation = QStringLiteral(" ");
        QCOMPARE(wordLeftOf(u"a-b c", 5, isDelimiter).toString(), QStringLiteral("c"));
    }

    void defaultHasTwentyTwoCharacters()
    {
        QCOMPARE(defaultDelimiterSpec().size(), 22);
        QCOMPARE(expandDelimiterSpec(defaultDelimiterSpec()).size(), 20);
    }

    void cacheFollowsTheText()
    {
        CachedDelimiterSet cached;
        QVERIFY(cached.contains(QStringLiteral("x"), QChar('x')));
        QVERIFY(!cached.contains(QStringLiteral("y"), QChar('x')));
        QVERIFY(cached.contains(QStringLiteral("y"), QChar('y')));
        QVERIFY(!cached.contains(QString(), QChar('y')));
    }
};

QTEST_APPLESS_MAIN(TestDelimiters)
#include "tst_delimiters.moc"
