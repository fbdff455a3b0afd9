#include "core/altlayout.h"
#include "platform/vkeys.h"
#include "platform/xkblayout.h"

#include <QKeyEvent>
#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(TShiftState)

class TestVKeys : public QObject
{
    Q_OBJECT

private slots:
    // The X keycodes of the US main block give exactly the 47 codes the
    // other-layout typing knows, each once.
    void mainBlockCoversTheTable()
    {
        QSet<quint16> seen;
        int mapped = 0;
        for (quint32 x = 8; x < 256; ++x) {
            const quint16 vk = vkeys::fromScanCode(x);
            if (vk == 0 || vk == 0xE2)
                continue;
            ++mapped;
            seen.insert(vk);
        }
        QCOMPARE(mapped, altlayout::TableSize);
        QSet<quint16> table;
        for (quint8 c : altlayout::KeyCodes)
            table.insert(c);
        QCOMPARE(seen, table);
    }

    void scanCodes_data()
    {
        QTest::addColumn<quint32>("x");
        QTest::addColumn<quint16>("vk");
        QTest::newRow("Q") << 24u << quint16('Q');
        QTest::newRow("A") << 38u << quint16('A');
        QTest::newRow("Z") << 52u << quint16('Z');
        QTest::newRow("1") << 10u << quint16('1');
        QTest::newRow("0") << 19u << quint16('0');
        QTest::newRow("left of 1") << 49u << quint16(0xC0);
        QTest::newRow("backslash") << 51u << quint16(0xDC);
        QTest::newRow("slash") << 61u << quint16(0xBF);
        QTest::newRow("apostrophe") << 48u << quint16(0xDE);
        QTest::newRow("ISO key") << 94u << quint16(0xE2);
        QTest::newRow("space") << 65u << quint16(0);
        QTest::newRow("Alt") << 64u << quint16(0);
        QTest::newRow("keypad 5") << 84u << quint16(0);
        QTest::newRow("zero") << 0u << quint16(0);
        QTest::newRow("out of range") << 0x10018u << quint16(0);
    }
    void scanCodes()
    {
        QFETCH(quint32, x);
        QFETCH(quint16, vk);
        QCOMPARE(vkeys::fromScanCode(x), vk);
    }

    void qtKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<quint16>("vk");
        const Qt::KeyboardModifiers none, kp = Qt::KeypadModifier;
        QTest::newRow("Alt") << int(Qt::Key_Alt) << none << quint16(18);
        QTest::newRow("Ctrl") << int(Qt::Key_Control) << none << quint16(17);
        QTest::newRow("Shift") << int(Qt::Key_Shift) << none << quint16(16);
        QTest::newRow("Return") << int(Qt::Key_Return) << none << quint16(13);
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << quint16(27);
        QTest::newRow("F1") << int(Qt::Key_F1) << none << quint16(0x70);
        QTest::newRow("F12") << int(Qt::Key_F12) << none << quint16(0x7B);
        QTest::newRow("Left") << int(Qt::Key_Left) << none << quint16(37);
        QTest::newRow("Down") << int(Qt::Key_Down) << none << quint16(40);
        QTest::newRow("Space") << int(Qt::Key_Space) << none << quint16(32);
        QTest::newRow("Tab") << int(Qt::Key_Tab) << none << quint16(9);
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << quint16(8);
        QTest::newRow("Delete") << int(Qt::Key_Delete) << none << quint16(46);
        QTest::newRow("Home") << int(Qt::Key_Home) << none << quint16(36);
        QTest::newRow("End") << int(Qt::Key_End) << none << quint16(35);
        QTest::newRow("letter") << int(Qt::Key_Q) << none << quint16('Q');
        QTest::newRow("shifted 2") << int(Qt::Key_At) << none << quint16('2');
        QTest::newRow("shifted 8") << int(Qt::Key_Asterisk) << none << quint16('8');
        QTest::newRow("tilde") << int(Qt::Key_AsciiTilde) << none << quint16(0xC0);
        QTest::newRow("cyrillic letter") << int(0x0439 /* й */) << none << quint16(0);
        QTest::newRow("keypad 0") << int(Qt::Key_0) << kp << quint16(0x60);
        QTest::newRow("keypad 9") << int(Qt::Key_9) << kp << quint16(0x69);
        QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << kp << quint16(0x6A);
        QTest::newRow("keypad +") << int(Qt::Key_Plus) << kp << quint16(0x6B);
        QTest::newRow("keypad -") << int(Qt::Key_Minus) << kp << quint16(0x6D);
        QTest::newRow("keypad /") << int(Qt::Key_Slash) << kp << quint16(0x6F);
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << kp << quint16(13);
        QTest::newRow("keypad home") << int(Qt::Key_Home) << kp << quint16(36);
    }
    void qtKeys()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(quint16, vk);
        const QKeyEvent e(QEvent::KeyPress, key, mods);
        QCOMPARE(vkeys::virtualKey(e), vk);
    }

    void shiftState_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<TShiftState>("expected");
        QTest::newRow("alt+Q") << int(Qt::Key_Q) << Qt::KeyboardModifiers(Qt::AltModifier)
                               << TShiftState(ShiftKey::Alt);
        QTest::newRow("shift+alt+Q") << int(Qt::Key_Q) << (Qt::AltModifier | Qt::ShiftModifier)
                                     << (ShiftKey::Alt | ShiftKey::Shift);
        QTest::newRow("ctrl+alt+Q") << int(Qt::Key_Q) << (Qt::AltModifier | Qt::ControlModifier)
                                    << (ShiftKey::Alt | ShiftKey::Ctrl);
        // A modifier's own press carries its flag even where the platform leaves it out.
        QTest::newRow("alt key, no flag") << int(Qt::Key_Alt) << Qt::KeyboardModifiers()
                                          << TShiftState(ShiftKey::Alt);
        QTest::newRow("alt key after shift") << int(Qt::Key_Alt) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                             << (ShiftKey::Alt | ShiftKey::Shift);
        // AltGr is no Alt: its characters stay the platform's.
        QTest::newRow("altgr") << int(Qt::Key_Q) << Qt::KeyboardModifiers(Qt::GroupSwitchModifier)
                               << TShiftState();
        QTest::newRow("meta") << int(Qt::Key_Q) << Qt::KeyboardModifiers(Qt::MetaModifier) << TShiftState();
    }
    void shiftState()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(TShiftState, expected);
        const QKeyEvent e(QEvent::KeyPress, key, mods);
        QCOMPARE(vkeys::shiftState(e), expected);
    }

    // XKB layouts (code, variant) and the identifiers they stand for.
    void layoutIds_data()
    {
        QTest::addColumn<QString>("layouts");
        QTest::addColumn<QString>("variants");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("id");
        QTest::newRow("us") << "us" << "" << 0 << "00000409";
        QTest::newRow("us of us,ru") << "us,ru" << "," << 0 << "00000409";
        QTest::newRow("ru of us,ru") << "us,ru" << "," << 1 << "00000419";
        QTest::newRow("ru first") << "ru,us" << "" << 0 << "00000419";
        QTest::newRow("gb") << "gb" << "" << 0 << "00000809";
        QTest::newRow("ua") << "ua" << "" << 0 << "00000422";
        QTest::newRow("us dvorak") << "us" << "dvorak" << 0 << "00010409";
        QTest::newRow("us intl, second group") << "ru,us" << ",intl" << 1 << "00020409";
        QTest::newRow("us, unknown variant") << "us" << "colemak" << 0 << "A0000409";
        QTest::newRow("unknown layout") << "xx" << "" << 0 << "00000000";
        QTest::newRow("group past the list") << "us" << "" << 1 << "00000000";
        QTest::newRow("empty") << "" << "" << 0 << "00000000";
    }
    void layoutIds()
    {
        QFETCH(QString, layouts);
        QFETCH(QString, variants);
        QFETCH(int, group);
        QFETCH(QString, id);
        QCOMPARE(xkblayout::layoutIdForGroup(layouts, variants, group), id);
    }

    void layoutFromKeymapNames_data()
    {
        QTest::addColumn<QString>("symbols");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("id"); // empty: the name does not tell
        QTest::newRow("first of us,ru") << "pc+us+ru:2+inet(evdev)" << 0 << "00000409";
        QTest::newRow("second of us,ru") << "pc+us+ru:2+inet(evdev)" << 1 << "00000419";
        QTest::newRow("ru first, as XWayland's keymap has it") << "pc+ru+us:2+inet(evdev)" << 0 << "00000419";
        QTest::newRow("us second") << "pc+ru+us:2+inet(evdev)" << 1 << "00000409";
        QTest::newRow("three layouts, options after")
            << "pc+de+us:2+ru:3+inet(evdev)+group(alt_shift_toggle)" << 2 << "00000419";
        QTest::newRow("variant") << "pc+us(dvorak)+ru:2+inet(evdev)" << 0 << "00010409";
        QTest::newRow("group beyond the map") << "pc+us+inet(evdev)" << 1 << "";
        QTest::newRow("no layout named") << "pc+inet(evdev)" << 0 << "";
        QTest::newRow("empty") << "" << 0 << "";
        QTest::newRow("damaged index") << "pc+us:x+ru:2" << 0 << "";
    }
    void layoutFromKeymapNames()
    {
        QFETCH(QString, symbols);
        QFETCH(int, group);
        QFETCH(QString, id);
        QCOMPARE(xkblayout::layoutIdFromSymbols(symbols, group), id);
    }

    void layoutFromGroupName()
    {
        QCOMPARE(xkblayout::layoutIdFromGroupName(QStringLiteral("English (US)")), QStringLiteral("00000409"));
        QCOMPARE(xkblayout::layoutIdFromGroupName(QStringLiteral("Russian")), QStringLiteral("00000419"));
        QCOMPARE(xkblayout::layoutIdFromGroupName(QStringLiteral("Klingon")), QString());
    }
};

QTEST_MAIN(TestVKeys) // key events need the GUI application that owns the keyboard device
#include "tst_vkeys.moc"
