# Shared helpers for the end-to-end scripts (sourced).
set -euo pipefail
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM
WORK=$(mktemp -d)
trap 'kill ${ZARVO_PID:-} 2>/dev/null || true; rm -rf "$WORK"' EXIT
cd "$WORK"
# Recovery files stay in the test's own folder.
export XDG_STATE_HOME="$WORK/state"

fail() { echo "FAIL: $*" >&2; exit 1; }

# start_zarvo [ARGS...]: starts the program in $WORK and waits for its window.
start_zarvo() {
  "$ZARVO_BIN/zarvo" "$@" >"$WORK/zarvo.log" 2>&1 &
  ZARVO_PID=$!
  for _ in $(seq 1 100); do
    WID=$(xdotool search --pid "$ZARVO_PID" --onlyvisible --class zarvo 2>/dev/null | head -n 1 || true)
    [ -n "$WID" ] && break
    sleep 0.1
  done
  [ -n "${WID:-}" ] || { cat "$WORK/zarvo.log" >&2; fail "no window"; }
  xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID" || true
  sleep 0.3
}

window_title() { xdotool getwindowname "$WID"; }

# key NAME...: presses keys by keysym name (Latin only).
key() { xdotool key --delay 30 "$@"; sleep 0.1; }
type_text() { xdotool type --delay 40 "$1"; sleep 0.2; }

# wait_exit: waits for the program to end.
wait_exit() {
  for _ in $(seq 1 100); do
    kill -0 "$ZARVO_PID" 2>/dev/null || { wait "$ZARVO_PID" || true; return 0; }
    sleep 0.1
  done
  fail "program did not exit"
}

# expect_bytes FILE HEX: compares a file's bytes with the given hex string.
expect_bytes() {
  local got
  got=$(od -An -v -tx1 "$1" | tr -d ' \n')
  [ "$got" = "$2" ] || fail "$1: expected $2, got $got"
}

# xkeys CMD...: raw X keycodes and XKB locks through the XTEST helper
# (xkeys chord 64+24 = Alt+Q whatever the layout; xkeys group 1; xkeys caps on).
xkeys() { "$ZARVO_BIN/xkeys" "$@"; sleep 0.15; }

# hex TEXT...: the bytes of printf-style TEXT as expect_bytes wants them.
hex() { printf "$@" | od -An -v -tx1 | tr -d ' \n'; }

# wait_for SECONDS CMD...: runs CMD every 50 ms until it succeeds; false
# when it has not within SECONDS.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.05
  done
}

bytes_are() { [ "$(od -An -v -tx1 "$1" 2>/dev/null | tr -d ' \n')" = "$2" ]; }

# saved_as FILE HEX: presses F2 and waits until FILE holds exactly those bytes.
saved_as() {
  key F2
  wait_for 5 bytes_are "$1" "$2" || expect_bytes "$1" "$2"
}
