#pragma once

#include "core/shiftstate.h"

#include <functional>

class QKeyEvent;

// The key-down road the program's text fields share: the handler sees the
// virtual key and the modifiers and may take the key (setting it to 0); an
// Alt combination without Ctrl types nothing of its own, the handler has
// typed the other layout's character. True when the event is taken and the
// field must not handle it.
using KeyDownHandler = std::function<void(quint16 &key, TShiftState shift)>;
bool takeKeyDown(QKeyEvent &event, const KeyDownHandler &handler);
