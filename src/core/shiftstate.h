#pragma once

#include <QFlags>

// The modifier set a key handler sees, in the program's own terms.
enum class ShiftKey : unsigned { Shift = 1, Alt = 2, Ctrl = 4 };
Q_DECLARE_FLAGS(TShiftState, ShiftKey)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

// Windows virtual-key codes the handlers test for.
namespace VK {
constexpr quint16 Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18,
                  Capital = 20, Escape = 27, Space = 32, LWin = 91;
}
