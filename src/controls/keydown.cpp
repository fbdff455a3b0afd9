#include "controls/keydown.h"

#include "core/altlayout.h"
#include "platform/vkeys.h"

#include <QKeyEvent>

bool takeKeyDown(QKeyEvent &event, const KeyDownHandler &handler)
{
    quint16 key = vkeys::virtualKey(event);
    if (handler)
        handler(key, vkeys::shiftState(event));
    if (key == 0 || altSuppressesText(event.modifiers(), event.text())) {
        event.accept();
        return true;
    }
    return false;
}
