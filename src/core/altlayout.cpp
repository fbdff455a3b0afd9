#include "core/altlayout.h"

#include "core/keyboard.h"

namespace altlayout {

// Virtual-key codes of the US main block: the digit row with the keys left
// of 1 and right of 0, the three letter rows, the backslash key.
const quint8 KeyCodes[TableSize] = {
    0xC0, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0xBD, 0xBB,
    0x51, 0x57, 0x45, 0x52, 0x54, 0x59, 0x55, 0x49, 0x4F, 0x50, 0xDB, 0xDD,
    0x41, 0x53, 0x44, 0x46, 0x47, 0x48, 0x4A, 0x4B, 0x4C, 0xBA, 0xDE,
    0x5A, 0x58, 0x43, 0x56, 0x42, 0x4E, 0x4D, 0xBC, 0xBE, 0xBF, 0xDC,
};

// The digit row gives its shifted symbols in the lower-case tables too; the
// Latin tables never give the backquote.
const QStringView RusLower = u"ё!\"№;%:?*()_+йцукенгшщзхъфывапролджэячсмитьбю.\\";
const QStringView RusUpper = u"Ё!\"№;%:?*()_+ЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ,/";
const QStringView LatLower = u"~!@#$%^&*()_+qwertyuiop[]asdfghjkl;'zxcvbnm,./\\";
const QStringView LatUpper = u"~!@#$%^&*()_+QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?|";

} // namespace altlayout

using namespace altlayout;

bool altSuppressesText(Qt::KeyboardModifiers modifiers, QStringView text)
{
    if (!(modifiers & Qt::AltModifier) || (modifiers & Qt::ControlModifier) || text.isEmpty())
        return false;
    const QChar c = text.front();
    return c.isPrint() || c == QLatin1Char('\t');
}

QString AltLayoutChar(quint16 &key, TShiftState shift, Keyboard &keyboard)
{
    QString result;
    if (shift != TShiftState(ShiftKey::Alt) && shift != (ShiftKey::Shift | ShiftKey::Alt))
        return result;

    const quint8 low = quint8(key & 0xFF);
    int entry = -1;
    for (int i = 0; i < TableSize; ++i) {
        if (KeyCodes[i] == low) {
            entry = i;
            break;
        }
    }
    if (entry >= 0) {
        // Asked anew each time, so a switch between two presses takes effect at once.
        const QString layout = keyboard.layoutName();
        const bool caps = keyboard.capsLockOn();
        const bool upper = shift.testFlag(ShiftKey::Shift) != caps;
        const bool russian = layout == UsLayout;
        const QStringView table = russian ? (upper ? RusUpper : RusLower) : (upper ? LatUpper : LatLower);
        result = table.at(entry);
    }
    // The Alt key's own press is passed on as the Windows-logo key, so the
    // platform does not treat it as the way into the menu bar.
    if (key == VK::Menu)
        key = VK::LWin;
    return result;
}
