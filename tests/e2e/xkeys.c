/* Presses raw X keycodes through XTEST and locks the XKB group and Caps Lock,
 * so that tests can type with any layout, whatever the keysyms.
 *
 *   xkeys chord 64+24 [50+64+24 ...]  press the keycodes in order, release in reverse
 *   xkeys group N                     lock XKB group N (from 0)
 *   xkeys caps on|off                 lock or unlock Caps Lock
 *   xkeys state                       print "group N caps 0|1"
 */
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static void pause_ms(long ms)
{
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, NULL);
}

static int chord(Display *dpy, const char *chordText)
{
    unsigned codes[8];
    int n = 0;
    char buf[128];
    strncpy(buf, chordText, sizeof buf - 1);
    buf[sizeof buf - 1] = '\0';
    for (char *tok = strtok(buf, "+"); tok; tok = strtok(NULL, "+")) {
        char *end = NULL;
        long code = strtol(tok, &end, 10);
        if (*end != '\0' || code < 8 || code > 255 || n == 8) {
            fprintf(stderr, "xkeys: bad chord '%s'\n", chordText);
            return 1;
        }
        codes[n++] = (unsigned)code;
    }
    for (int i = 0; i < n; ++i) {
        XTestFakeKeyEvent(dpy, codes[i], True, CurrentTime);
        XSync(dpy, False);
        pause_ms(30);
    }
    for (int i = n - 1; i >= 0; --i) {
        XTestFakeKeyEvent(dpy, codes[i], False, CurrentTime);
        XSync(dpy, False);
        pause_ms(30);
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: xkeys chord K+K... | group N | caps on|off | state\n");
        return 2;
    }
    int major = XkbMajorVersion, minor = XkbMinorVersion, reason = 0;
    Display *dpy = XkbOpenDisplay(NULL, NULL, NULL, &major, &minor, &reason);
    if (!dpy) {
        fprintf(stderr, "xkeys: cannot open display with XKB (%d)\n", reason);
        return 1;
    }
    int status = 0;
    if (strcmp(argv[1], "chord") == 0) {
        for (int i = 2; i < argc && status == 0; ++i)
            status = chord(dpy, argv[i]);
    } else if (strcmp(argv[1], "group") == 0 && argc == 3) {
        XkbLockGroup(dpy, XkbUseCoreKbd, (unsigned)atoi(argv[2]));
    } else if (strcmp(argv[1], "caps") == 0 && argc == 3) {
        XkbLockModifiers(dpy, XkbUseCoreKbd, LockMask, strcmp(argv[2], "on") == 0 ? LockMask : 0);
    } else if (strcmp(argv[1], "state") == 0) {
        XkbStateRec st;
        XkbGetState(dpy, XkbUseCoreKbd, &st);
        printf("group %d caps %d\n", st.group, (st.locked_mods & LockMask) ? 1 : 0);
    } else {
        fprintf(stderr, "xkeys: unknown command '%s'\n", argv[1]);
        status = 2;
    }
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return status;
}
