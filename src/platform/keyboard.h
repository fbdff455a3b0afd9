#pragma once

#include <QString>

// What the alternate-layout typing asks of the platform's keyboard.
class Keyboard
{
public:
    virtual ~Keyboard() = default;
    // The active layout's identifier as 8 hexadecimal digits ("00000409" is US English).
    virtual QString layoutName() = 0;
    // The Caps Lock toggle.
    virtual bool capsLockOn() = 0;

    // The platform's keyboard, or the one installed by install().
    static Keyboard &current();
    // Replaces the keyboard (tests); null puts the platform's back.
    static void install(Keyboard *keyboard);
};
