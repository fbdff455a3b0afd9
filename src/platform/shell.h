#pragma once

#include <QString>

// Hands a web address to the platform's default handler. Fire and forget:
// the caller neither waits for nor learns the outcome.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual void openAddress(const QString &address) = 0;

    // Opens the address with the current shell.
    static void open(const QString &address) { current().openAddress(address); }
    // The platform's shell, or the one installed by install().
    static Shell &current();
    // Replaces the shell (tests); null puts the platform's back.
    static void install(Shell *shell);
};
