#include "core/altlayout.h"

QString AltLayoutChar(quint16 &key, TShiftState shift, Keyboard &keyboard)
{
    (void)key; (void)shift; (void)keyboard;
    return {};
}
