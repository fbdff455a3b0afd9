#include "core/altlayout.h"
#include "fakekeyboard.h"

#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(TShiftState)

namespace {
const TShiftState None;
const TShiftState Alt = ShiftKey::Alt;
const TShiftState ShiftAlt = ShiftKey::Shift | ShiftKey::Alt;
const TShiftState CtrlAlt = ShiftKey::Ctrl | ShiftKey::Alt;
const TShiftState CtrlShiftAlt = ShiftKey::Ctrl | ShiftKey::Shift | ShiftKey::Alt;
const TShiftState Shift = ShiftKey::Shift;
const TShiftState Ctrl = ShiftKey::Ctrl;

constexpr quint16 KeyQ = 0x51, Key2 = 0x32, KeyTilde = 0xC0, KeyLBracket = 0xDB, KeySlash = 0xBF,
                  KeyBackslash = 0xDC, KeyEquals = 0xBB, KeyComma = 0xBC;
} // namespace

class TestAltLayout : public QObject
{
    Q_OBJECT

private slots:
    void tablesHaveOneEntryPerKey()
    {
        using namespace altlayout;
        QSet<quint8> codes;
        for (quint8 c : KeyCodes)
            codes.insert(c);
        QCOMPARE(codes.size(), TableSize);
        for (QStringView t : {RusLower, RusUpper, LatLower, LatUpper})
            QCOMPARE(t.size(), TableSize);
        // Letters sit at the same entries in all four tables.
        for (int i = 0; i < TableSize; ++i) {
            const bool latLetter = LatLower[i].isLetter();
            QCOMPARE(LatUpper[i].isLetter(), latLetter);
            if (latLetter) {
                QVERIFY(RusLower[i].isLower() && RusUpper[i].isUpper());
                QCOMPARE(LatUpper[i], LatLower[i].toUpper());
                QCOMPARE(RusUpper[i], RusLower[i].toUpper());
            }
        }
    }

    void typesTheOtherLayout_data()
    {
        QTest::addColumn<quint16>("key");
        QTest::addColumn<TShiftState>("shift");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("caps");
        QTest::addColumn<QString>("expected");
        const QString us = FakeKeyboard::Us, ru = FakeKeyboard::Russian;
        const QString gb = "00000809", dvorak = "00010409";

        // Every cell of the table choice, with Q.
        QTest::newRow("us, lower") << KeyQ << Alt << us << false << "й";
        QTest::newRow("us, caps") << KeyQ << Alt << us << true << "Й";
        QTest::newRow("us, shift") << KeyQ << ShiftAlt << us << false << "Й";
        QTest::newRow("us, shift+caps") << KeyQ << ShiftAlt << us << true << "й";
        QTest::newRow("ru, lower") << KeyQ << Alt << ru << false << "q";
        QTest::newRow("ru, caps") << KeyQ << Alt << ru << true << "Q";
        QTest::newRow("ru, shift") << KeyQ << ShiftAlt << ru << false << "Q";
        QTest::newRow("ru, shift+caps") << KeyQ << ShiftAlt << ru << true << "q";
        // Other English layouts are not the US one.
        QTest::newRow("gb") << KeyQ << Alt << gb << false << "q";
        QTest::newRow("us dvorak") << KeyQ << Alt << dvorak << false << "q";
        QTest::newRow("name with a space") << KeyQ << Alt << "00000409 " << false << "q";
        QTest::newRow("short name") << KeyQ << Alt << "0000409" << false << "q";
        QTest::newRow("empty name") << KeyQ << Alt << QString() << false << "q";
        // Letters elsewhere in the rows.
        QTest::newRow("us, E") << quint16(0x45) << Alt << us << false << "у";
        QTest::newRow("us, R") << quint16(0x52) << Alt << us << false << "к";
        QTest::newRow("ru, shift W") << quint16(0x57) << ShiftAlt << ru << false << "W";
        QTest::newRow("us, M") << quint16(0x4D) << Alt << us << false << "ь";
        // The digit row gives symbols, never digits.
        QTest::newRow("us, 2") << Key2 << Alt << us << false << "\"";
        QTest::newRow("us, shift 2") << Key2 << ShiftAlt << us << false << "\"";
        QTest::newRow("ru, 2") << Key2 << Alt << ru << false << "@";
        QTest::newRow("ru, shift 2") << Key2 << ShiftAlt << ru << false << "@";
        QTest::newRow("us, 3") << quint16(0x33) << Alt << us << false << "№";
        QTest::newRow("ru, equals") << KeyEquals << Alt << ru << false << "+";
        // The key left of 1: a letter in Russian, the tilde otherwise.
        QTest::newRow("us, tilde key") << KeyTilde << Alt << us << false << "ё";
        QTest::newRow("us, shift tilde key") << KeyTilde << ShiftAlt << us << false << "Ё";
        QTest::newRow("ru, tilde key") << KeyTilde << Alt << ru << false << "~";
        QTest::newRow("ru, shift tilde key") << KeyTilde << ShiftAlt << ru << false << "~";
        // Caps Lock picks the whole upper-case table, punctuation included.
        QTest::newRow("ru, caps bracket") << KeyLBracket << Alt << ru << true << "{";
        QTest::newRow("us, caps slash") << KeySlash << Alt << us << true << ",";
        QTest::newRow("us, slash") << KeySlash << Alt << us << false << ".";
        QTest::newRow("us, backslash") << KeyBackslash << Alt << us << false << "\\";
        QTest::newRow("us, shift backslash") << KeyBackslash << ShiftAlt << us << false << "/";
        QTest::newRow("ru, shift backslash") << KeyBackslash << ShiftAlt << ru << false << "|";
        QTest::newRow("ru, shift comma") << KeyComma << ShiftAlt << ru << false << "<";
        // Only the low byte of the code is looked up.
        QTest::newRow("high byte ignored") << quint16(0x0100 | KeyQ) << Alt << us << false << "й";
    }

    void typesTheOtherLayout()
    {
        QFETCH(quint16, key);
        QFETCH(TShiftState, shift);
        QFETCH(QString, layout);
        QFETCH(bool, caps);
        QFETCH(QString, expected);
        FakeKeyboard kb;
        kb.layout = layout;
        kb.capsLock = caps;
        quint16 k = key;
        QCOMPARE(AltLayoutChar(k, shift, kb), expected);
        QCOMPARE(k, key);
        QCOMPARE(kb.layoutQueries, 1);
        QCOMPARE(kb.capsQueries, 1);
    }

    // Keys and modifier sets that give nothing: the key code comes back as it
    // went in (except the Alt key itself) and the platform is not asked.
    void givesNothing_data()
    {
        QTest::addColumn<quint16>("key");
        QTest::addColumn<TShiftState>("shift");
        QTest::addColumn<quint16>("keyAfter");

        QTest::newRow("Q alone") << KeyQ << None << KeyQ;
        QTest::newRow("shift Q") << KeyQ << Shift << KeyQ;
        QTest::newRow("ctrl Q") << KeyQ << Ctrl << KeyQ;
        QTest::newRow("ctrl+alt Q") << KeyQ << CtrlAlt << KeyQ;
        QTest::newRow("ctrl+shift+alt Q") << KeyQ << CtrlShiftAlt << KeyQ;
        QTest::newRow("alt space") << VK::Space << Alt << VK::Space;
        QTest::newRow("alt enter") << VK::Return << Alt << VK::Return;
        QTest::newRow("alt numpad 5") << quint16(0x65) << Alt << quint16(0x65);
        QTest::newRow("alt numpad *") << quint16(0x6A) << ShiftAlt << quint16(0x6A);
        QTest::newRow("alt F4") << quint16(0x73) << Alt << quint16(0x73);
        QTest::newRow("alt ISO key") << quint16(0xE2) << Alt << quint16(0xE2);
        // The Alt key's own press: passed on as the Windows-logo key.
        QTest::newRow("alt key") << VK::Menu << Alt << VK::LWin;
        QTest::newRow("shift+alt key") << VK::Menu << ShiftAlt << VK::LWin;
        QTest::newRow("ctrl+alt key") << VK::Menu << CtrlAlt << VK::Menu;
        QTest::newRow("alt key, no flag") << VK::Menu << None << VK::Menu;
        // Only the full code 18 is the Alt key.
        QTest::newRow("18 in the low byte") << quint16(0x0112) << Alt << quint16(0x0112);
    }

    void givesNothing()
    {
        QFETCH(quint16, key);
        QFETCH(TShiftState, shift);
        QFETCH(quint16, keyAfter);
        FakeKeyboard kb;
        quint16 k = key;
        QCOMPARE(AltLayoutChar(k, shift, kb), QString());
        QCOMPARE(k, keyAfter);
        QCOMPARE(kb.layoutQueries, 0);
        QCOMPARE(kb.capsQueries, 0);
    }

    void layoutAndCapsAreAskedAtEveryPress()
    {
        FakeKeyboard kb;
        quint16 k = KeyQ;
        QCOMPARE(AltLayoutChar(k, Alt, kb), QStringLiteral("й"));
        kb.layout = FakeKeyboard::Russian;
        QCOMPARE(AltLayoutChar(k, Alt, kb), QStringLiteral("q"));
        kb.capsLock = true;
        QCOMPARE(AltLayoutChar(k, Alt, kb), QStringLiteral("Q"));
        kb.layout = FakeKeyboard::Us;
        QCOMPARE(AltLayoutChar(k, Alt, kb), QStringLiteral("Й"));
        QCOMPARE(kb.layoutQueries, 4);
        QCOMPARE(kb.capsQueries, 4);
    }
};

QTEST_APPLESS_MAIN(TestAltLayout)
#include "tst_altlayout.moc"
