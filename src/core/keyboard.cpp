#include "core/keyboard.h"

namespace {
Keyboard *g_installed = nullptr;
} // namespace

void Keyboard::install(Keyboard *keyboard)
{
    g_installed = keyboard;
}

Keyboard *Keyboard::installed()
{
    return g_installed;
}
