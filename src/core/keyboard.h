#pragma once

#include <QString>

// What the alternate-layout typing asks of the platform's keyboard. The
// interface lives here, below everything that uses it; the platform layer
// implements it (and current()/install()), tests put in a fake.
class Keyboard
{
public:
    virtual ~Keyboard() = default;
    // The active layout's identifier as 8 hexadecimal digits ("00000409" is US English).
    virtual QString layoutName() = 0;
    // The Caps Lock toggle.
    virtual bool capsLockOn() = 0;

    // The platform's keyboard, or the one installed by install(). Defined
    // by the platform layer.
    static Keyboard &current();
    // Replaces the keyboard (tests); null puts the platform's back.
    static void install(Keyboard *keyboard);
    static Keyboard *installed();
};
