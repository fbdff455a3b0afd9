#include "fakekeyboard.h"

FakeKeyboard::FakeKeyboard() { Keyboard::install(this); }
FakeKeyboard::~FakeKeyboard() { Keyboard::install(nullptr); }

QString FakeKeyboard::layoutName()
{
    ++layoutQueries;
    return layout;
}

bool FakeKeyboard::capsLockOn()
{
    ++capsQueries;
    return capsLock;
}
