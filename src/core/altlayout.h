#pragma once

#include "core/shiftstate.h"

#include <QString>

class Keyboard;

// The five constant tables of the other-layout typing, 47 entries each;
// entry i of every character table belongs to entry i of KeyCodes.
namespace altlayout {
constexpr int TableSize = 47;
extern const quint8 KeyCodes[TableSize];
extern const QStringView RusLower;
extern const QStringView RusUpper;
extern const QStringView LatLower;
extern const QStringView LatUpper;
// The layout identifier whose keys type Russian characters under Alt.
inline constexpr QStringView UsLayout = u"00000409";
} // namespace altlayout

// Whether a key event's own text must not be typed because Alt without Ctrl
// is held: the alternate-layout handler has typed the other layout's
// character instead, or nothing. Ctrl+Alt and AltGr (no Alt flag) keep the
// platform's behaviour. One rule for every field that takes Alt+key.
bool altSuppressesText(Qt::KeyboardModifiers modifiers, QStringView text);

// The character the pressed key gives in the other keyboard layout, for
// Alt and Shift+Alt; empty otherwise. May change key (18 becomes 91). Uses no
// state of its own: the layout and Caps Lock are asked of keyboard each time.
QString AltLayoutChar(quint16 &key, TShiftState shift, Keyboard &keyboard);
