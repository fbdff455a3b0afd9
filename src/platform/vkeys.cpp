#include "platform/vkeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace vkeys {

quint16 fromScanCode(quint32 code)
{
    // X11 (evdev) keycodes of the US main block and their virtual-key codes.
    static constexpr struct { quint8 x; quint8 vk; } map[] = {
        {49, 0xC0}, {10, '1'}, {11, '2'}, {12, '3'}, {13, '4'}, {14, '5'}, {15, '6'},
        {16, '7'}, {17, '8'}, {18, '9'}, {19, '0'}, {20, 0xBD}, {21, 0xBB},
        {24, 'Q'}, {25, 'W'}, {26, 'E'}, {27, 'R'}, {28, 'T'}, {29, 'Y'}, {30, 'U'},
        {31, 'I'}, {32, 'O'}, {33, 'P'}, {34, 0xDB}, {35, 0xDD},
        {38, 'A'}, {39, 'S'}, {40, 'D'}, {41, 'F'}, {42, 'G'}, {43, 'H'}, {44, 'J'},
        {45, 'K'}, {46, 'L'}, {47, 0xBA}, {48, 0xDE},
        {52, 'Z'}, {53, 'X'}, {54, 'C'}, {55, 'V'}, {56, 'B'}, {57, 'N'}, {58, 'M'},
        {59, 0xBC}, {60, 0xBE}, {61, 0xBF}, {51, 0xDC},
        {94, 0xE2}, // the extra key of ISO keyboards, left of Z: not one of the 47
    };
    for (const auto &m : map)
        if (m.x == code)
            return m.vk;
    return 0;
}

quint16 fromQtKey(int key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return quint16(0x70 + (key - Qt::Key_F1));
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return quint16(key);
    switch (key) {
    // Shifted digits name the digit key they sit on in the US layout.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: case Qt::Key_AltGr: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal: case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma: case Qt::Key_Less: return 0xBC;
    case Qt::Key_Minus: case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Period: case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash: case Qt::Key_Question: return 0xBF;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 0xDE;
    default: return 0;
    }
}

namespace {

quint16 keypad(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return quint16(0x60 + (key - Qt::Key_0));
    switch (key) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period: case Qt::Key_Comma: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    case Qt::Key_Enter: case Qt::Key_Return: return 13;
    default: return fromQtKey(key);
    }
}

bool onX11()
{
    static const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    return x11;
}

} // namespace

quint16 virtualKey(const QKeyEvent &event)
{
    if (event.modifiers() & Qt::KeypadModifier)
        return keypad(event.key());
    if (onX11() && event.nativeScanCode() != 0) {
        if (const quint16 vk = fromScanCode(event.nativeScanCode()))
            return vk;
    }
    // Elsewhere (and for keys outside the main block) the Qt key decides, as
    // the US layout names it.
    return fromQtKey(event.key());
}

TShiftState shiftState(const QKeyEvent &event)
{
    TShiftState s;
    const auto m = event.modifiers();
    if (m & Qt::ShiftModifier)
        s |= ShiftKey::Shift;
    if (m & Qt::AltModifier)
        s |= ShiftKey::Alt;
    if (m & Qt::ControlModifier)
        s |= ShiftKey::Ctrl;
    // Qt reports a modifier key's own press without its flag on some platforms.
    switch (event.key()) {
    case Qt::Key_Shift: if (event.type() == QEvent::KeyPress) s |= ShiftKey::Shift; break;
    case Qt::Key_Alt: if (event.type() == QEvent::KeyPress) s |= ShiftKey::Alt; break;
    case Qt::Key_Control: if (event.type() == QEvent::KeyPress) s |= ShiftKey::Ctrl; break;
    default: break;
    }
    return s;
}

} // namespace vkeys
