#pragma once

#include "core/keyboard.h"

// A keyboard whose layout and Caps Lock the test sets, counting how often the
// program asks. Installs itself for its lifetime:
//     FakeKeyboard kb;                 // US layout, Caps Lock off
//     kb.layout = "00000419";
//     ... AltLayoutChar(key, shift, kb) or a key press in the editor ...
//     QCOMPARE(kb.layoutQueries, 1);
class FakeKeyboard final : public Keyboard
{
public:
    static constexpr const char *Us = "00000409";
    static constexpr const char *Russian = "00000419";

    FakeKeyboard();
    ~FakeKeyboard() override;
    FakeKeyboard(const FakeKeyboard &) = delete;
    FakeKeyboard &operator=(const FakeKeyboard &) = delete;

    QString layout = QString::fromLatin1(Us);
    bool capsLock = false;
    int layoutQueries = 0;
    int capsQueries = 0;

    QString layoutName() override;
    bool capsLockOn() override;
};
