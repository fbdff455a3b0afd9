#pragma once

#include "core/shiftstate.h"

#include <QString>

class Keyboard;

// The character the pressed key gives in the other keyboard layout, for
// Alt and Shift+Alt; empty otherwise. May change key (18 becomes 91).
QString AltLayoutChar(quint16 &key, TShiftState shift, Keyboard &keyboard);
