#include "core/keyboard.h"
#include "platform/xkblayout.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {

// Where the layout cannot be learned: never the US layout, Caps Lock off.
class FallbackKeyboard final : public Keyboard
{
public:
    QString layoutName() override { return QStringLiteral("00000000"); }
    bool capsLockOn() override { return false; }
};

// XKB on Qt's own display: the active group and the locked modifiers, asked
// of the server every time.
class X11Keyboard final : public Keyboard
{
public:
    QString layoutName() override
    {
        Display *dpy = display();
        if (!dpy)
            return m_fallback.layoutName();
        XkbStateRec state{};
        if (XkbGetState(dpy, XkbUseCoreKbd, &state) != Success)
            return m_fallback.layoutName();
        // The keymap's own names, asked each time so that a keymap loaded
        // while we run is followed. The root window's rules property is not
        // used: XWayland and xkbcomp never update it.
        const QString id = groupLayout(dpy, state.group);
        return id.isEmpty() ? m_fallback.layoutName() : id;
    }

    bool capsLockOn() override
    {
        Display *dpy = display();
        if (!dpy)
            return m_fallback.capsLockOn();
        XkbStateRec state{};
        if (XkbGetState(dpy, XkbUseCoreKbd, &state) != Success)
            return m_fallback.capsLockOn();
        return (state.locked_mods & LockMask) != 0;
    }

private:
    static Display *display()
    {
        // Offscreen and other platforms have no X display: behave as the fallback.
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return nullptr;
        auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        return x11 ? x11->display() : nullptr;
    }

    static QString atomName(Display *dpy, Atom atom)
    {
        if (atom == None)
            return {};
        char *name = XGetAtomName(dpy, atom);
        QString out = name ? QString::fromLatin1(name) : QString();
        if (name)
            XFree(name);
        return out;
    }

    // The layout of a group from the keymap's symbols name, or else from the
    // group's descriptive name.
    static QString groupLayout(Display *dpy, int group)
    {
        XkbDescPtr desc = XkbAllocKeyboard();
        if (!desc)
            return {};
        QString id;
        if (XkbGetNames(dpy, XkbSymbolsNameMask | XkbGroupNamesMask, desc) == Success && desc->names) {
            id = xkblayout::layoutIdFromSymbols(atomName(dpy, desc->names->symbols), group);
            if (id.isEmpty() && group >= 0 && group < XkbNumKbdGroups)
                id = xkblayout::layoutIdFromGroupName(atomName(dpy, desc->names->groups[group]));
        }
        XkbFreeKeyboard(desc, 0, True);
        return id;
    }

    FallbackKeyboard m_fallback;
};

X11Keyboard g_x11;
} // namespace

Keyboard &Keyboard::current() { return installed() ? *installed() : g_x11; }
