#pragma once

#include "core/shiftstate.h"

class QKeyEvent;

// Windows virtual-key codes for Qt key events. The 47 keys of the main block
// are identified by their position on a US keyboard, so every layout gives
// the same code for the same physical key.
namespace vkeys {

quint16 virtualKey(const QKeyEvent &event);
TShiftState shiftState(const QKeyEvent &event);

// The code for a key at a position, from the X keycode: the main block and
// the ISO key left of Z; 0 for any other key.
quint16 fromScanCode(quint32 nativeScanCode);

// The code for a Qt key outside the main block (function keys, arrows, ...).
quint16 fromQtKey(int qtKey);

} // namespace vkeys
