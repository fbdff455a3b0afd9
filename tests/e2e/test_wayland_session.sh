#!/usr/bin/env bash
# In a Wayland session (a real compositor, Qt's Wayland plugin installed) the
# program still opens its window through X11, where the keyboard layer works:
# Alt+Q types the Russian letter while the US layout is active.
source "$E2E_LIB"

command -v weston >/dev/null || fail "weston is not installed"
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --shell=kiosk-shell.so --no-config --socket=zarvo-wl \
  >"$WORK/weston.log" 2>&1 &
WESTON_PID=$!
trap 'kill ${ZARVO_PID:-} ${WESTON_PID:-} 2>/dev/null || true; rm -rf "$WORK"' EXIT
wait_for 10 test -S "$XDG_RUNTIME_DIR/zarvo-wl" || { cat "$WORK/weston.log" >&2; fail "weston did not start"; }
export WAYLAND_DISPLAY=zarvo-wl XDG_SESSION_TYPE=wayland

ALT=64 Q=24
setxkbmap -layout us,ru -option ""
: > t.txt
start_zarvo t.txt    # finds the window on the X server, or fails
xkeys group 0
xkeys caps off
xkeys chord $ALT+$Q
saved_as t.txt "$(hex '\xe9')"
key F10
wait_exit
echo "wayland session e2e passed"
