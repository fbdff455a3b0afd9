#pragma once

#include "core/shiftstate.h"

class QKeyEvent;

// Windows virtual-key codes for Qt key events. The 47 keys of the main block
// are identified by their position on a US keyboard, so every layout gives
// the same code for the same physical key.
namespace vkeys {

quint16 virtualKey(const QKeyEvent &event);
TShiftState shiftState(const QKeyEvent &event);

// The code for a key at a position, from the platform's scan code; 0 if the
// key is not one of the main block.
quint16 fromScanCode(quint32 nativeScanCode);

// The code for a Qt key outside the main block (function keys, arrows, ...).
quint16 fromQtKey(int qtKey);

} // namespace vkeys
