#include "platform/keyboard.h"
#include "platform/xkblayout.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
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
        QString layouts, variants;
        if (!rulesNames(dpy, layouts, variants))
            return m_fallback.layoutName();
        return xkblayout::layoutIdForGroup(layouts, variants, state.group);
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

    // The root window's _XKB_RULES_NAMES: five NUL-separated strings.
    static bool rulesNames(Display *dpy, QString &layouts, QString &variants)
    {
        const Atom prop = XInternAtom(dpy, "_XKB_RULES_NAMES", True);
        if (prop == None)
            return false;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        const int rc = XGetWindowProperty(dpy, DefaultRootWindow(dpy), prop, 0, 1024, False,
                                          XA_STRING, &type, &format, &count, &after, &data);
        if (rc != Success || !data)
            return false;
        bool ok = false;
        if (type == XA_STRING && format == 8) {
            const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char *>(data), qsizetype(count)).split('\0');
            if (parts.size() >= 3) {
                layouts = QString::fromLatin1(parts.at(2));
                variants = parts.size() >= 4 ? QString::fromLatin1(parts.at(3)) : QString();
                ok = !layouts.isEmpty();
            }
        }
        XFree(data);
        return ok;
    }

    FallbackKeyboard m_fallback;
};

X11Keyboard g_x11;
Keyboard *g_keyboard = &g_x11;

} // namespace

Keyboard &Keyboard::current() { return *g_keyboard; }
void Keyboard::install(Keyboard *keyboard) { g_keyboard = keyboard ? keyboard : &g_x11; }
