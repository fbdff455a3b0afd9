#!/usr/bin/env bash
# Quitting with F10 while a build job is still running, or paused, after its
# progress window was closed: the program ends at once with status 0 and
# without thread warnings.
source "$E2E_LIB"

SLO_DIR="$ZARVO_BIN/slo"
NAME="e2e-quit-$$.txt"
# An abandoned build leaves its library's temporary file in the folder: remove
# the ones this test made.
BEFORE=$(ls -A "$SLO_DIR" 2>/dev/null || true)
cleanup() {
  kill ${ZARVO_PID:-} 2>/dev/null || true
  rm -f "$SLO_DIR/$NAME.slo"
  for f in "$SLO_DIR"/.brenvik-*.tmp; do
    [ -e "$f" ] && ! grep -qxF "$(basename "$f")" <<<"$BEFORE" && rm -f "$f"
  done
  rm -rf "$WORK"
}
trap cleanup EXIT

# About 160 MB of Windows-1251 text and five million distinct words: the
# text alone builds in a fraction of a second, the distinct words make the
# build take a couple of seconds.
for f in /usr/share/games/fortunes/ru/*; do
  case $f in *.dat|*.u8) ;; *) cat "$f" ;; esac
done | iconv -f UTF-8 -t CP1251 -c > chunk.txt
{ for _ in $(seq 80); do cat chunk.txt; done; seq 1 5000000; } > "$NAME"
rm chunk.txt
printf 'one\r\n' > doc.txt

# close_window WID: asks the window to close as a window manager's close button does.
close_window() {
  python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]
class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
d = x.XOpenDisplay(None)
win = int(sys.argv[1])
ev = XEvent()
ev.xclient.type = 33  # ClientMessage
ev.xclient.window = win
ev.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
ev.xclient.format = 32
ev.xclient.l[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(d, win, 0, 0, ctypes.byref(ev))
x.XFlush(d)
PY
}

# start_build: starts zarvo and a build of $NAME, returns with the progress window shown.
start_build() {
  start_zarvo doc.txt
  click_menu 135 9               # menu bar "Словарь"
  click_at "$WID" 150 32         # its item "Словарь"
  DIC=$(find_window "Словарь")
  click_at "$DIC" 405 60         # "Создать"
  find_window "Выберите текст" >/dev/null
  wait_for 5 has_focus_in "Выберите текст" || fail "the file dialog did not take the keyboard"
  xdotool type --delay 10 "$WORK/$NAME"
  xdotool key Return
  PROG=$(find_window "Процесс")
}

# quit_now CASE: F10 in the main window; the program must end within 3 s, status 0.
quit_now() {
  xdotool windowfocus "$WID" 2>/dev/null || true
  xdotool key F10
  wait_for 3 bash -c "! kill -0 $ZARVO_PID 2>/dev/null" || fail "$1: program still running 3 s after F10"
  local status=0
  wait "$ZARVO_PID" || status=$?
  [ "$status" = 0 ] || fail "$1: exit status $status: $(cat "$WORK/zarvo.log")"
  if grep -Eq "QThread|Destroyed|Abort|Segmentation|terminate" "$WORK/zarvo.log"; then
    fail "$1: $(cat "$WORK/zarvo.log")"
  fi
}

# A paused job: its window is closed, then the program quits.
start_build
click_at "$PROG" 192 84          # "Пауза"
[ -n "$(windows "Процесс")" ] || fail "build finished before it could be paused"
close_window "$PROG"
wait_for 5 bash -c "[ -z \"\$(xdotool search --all --pid $ZARVO_PID --onlyvisible --name '^Процесс\$' 2>/dev/null)\" ]" \
  || fail "progress window did not close"
quit_now paused
rm -f "$SLO_DIR/$NAME.slo"

# A running job: the window is closed and F10 pressed at once.
start_build
[ -n "$(windows "Процесс")" ] || fail "build finished before its window could be closed"
close_window "$PROG"
wait_for 5 bash -c "[ -z \"\$(xdotool search --all --pid $ZARVO_PID --onlyvisible --name '^Процесс\$' 2>/dev/null)\" ]" \
  || fail "progress window did not close"
quit_now running
echo "build quit e2e passed"
