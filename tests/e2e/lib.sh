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

# start_zarvo [ARGS...]: starts the program in $WORK and waits until its
# window is shown and has the keyboard focus.
start_zarvo() {
  "$ZARVO_BIN/zarvo" "$@" >"$WORK/zarvo.log" 2>&1 &
  ZARVO_PID=$!
  wait_for 10 main_window_shown || { cat "$WORK/zarvo.log" >&2; fail "no window"; }
  focus_main
}

main_window_shown() {
  WID=$(xdotool search --all --pid "$ZARVO_PID" --onlyvisible --class zarvo 2>/dev/null | head -n 1 || true)
  [ -n "$WID" ]
}

# focus_main: gives the main window the keyboard focus (Xvfb has no window
# manager to do it) and waits until it has it.
focus_main() {
  xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID" 2>/dev/null || true
  wait_for 3 has_focus "$WID" || true
}
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
# has_focus_in TITLE: a visible window of ours with that title has the keyboard.
has_focus_in() {
  local w
  w=$(xdotool search --all --pid "$ZARVO_PID" --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
  [ -n "$w" ] && has_focus "$w"
}

window_title() { xdotool getwindowname "$WID"; }

# key NAME...: presses keys by keysym name (Latin only). X delivers the
# program's events in order, so no wait is needed here: a check that follows
# waits for its own sign (saved_as, wait_for).
key() { xdotool key --delay 30 "$@"; }
type_text() { xdotool type --delay 40 "$1"; }

# wait_exit: waits for the program to end.
wait_exit() {
  wait_for 10 bash -c "! kill -0 $ZARVO_PID 2>/dev/null" || fail "program did not exit"
  wait "$ZARVO_PID" || true
}

# expect_bytes FILE HEX: compares a file's bytes with the given hex string.
expect_bytes() {
  local got
  got=$(od -An -v -tx1 "$1" | tr -d ' \n')
  [ "$got" = "$2" ] || fail "$1: expected $2, got $got"
}

# xkeys CMD...: raw X keycodes and XKB locks through the XTEST helper
# (xkeys chord 64+24 = Alt+Q whatever the layout; xkeys group 1; xkeys caps on).
xkeys() { "$ZARVO_BIN/xkeys" "$@"; }

# settle FILE: a barrier. F2 saves FILE; once its modification time has
# moved, the program has handled every key sent before. Needed before a
# change the program reads at the time it handles a key (the XKB group).
settle() {
  local before
  before=$(stat -c %.9Y "$1" 2>/dev/null || echo 0)
  key F2
  wait_for 5 mtime_moved "$1" "$before" || fail "the program did not save $1"
}
mtime_moved() { [ "$(stat -c %.9Y "$1" 2>/dev/null || echo 0)" != "$2" ]; }

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

# question_shown: a top-level window of ours besides the main window (the
# question) is visible; before the main window shows, any window is the question.
question_shown() {
  local want=2
  [ -n "${WID:-}" ] || want=1
  [ "$(xdotool search --all --pid "$ZARVO_PID" --onlyvisible --name . 2>/dev/null | wc -l)" -ge "$want" ]
}
question_gone() { ! question_shown; }
focus_left_main() { [ "$(xdotool getwindowfocus 2>/dev/null)" != "$WID" ]; }
answer() { # answer KEY...: waits for the question, presses the keys, waits until it is gone
  wait_for 5 question_shown || fail "no question was asked"
  [ -z "${WID:-}" ] || wait_for 3 focus_left_main || true
  xdotool key --delay 60 "$@"
  wait_for 5 question_gone || fail "the question stayed"
  # Xvfb has no window manager to give the focus back to the main window.
  if [ -n "${WID:-}" ] && kill -0 "$ZARVO_PID" 2>/dev/null; then
    xdotool windowfocus --sync "$WID" 2>/dev/null || true
  fi
}

# Windows of ours by title, and clicks at window-relative points: there is no
# window manager, so frames have no decorations.
windows() { xdotool search --all --pid "$ZARVO_PID" --onlyvisible --name "^$1\$" 2>/dev/null || true; }
shown() { [ -n "$(windows "$1")" ]; }
visible_count() { xdotool search --all --pid "$ZARVO_PID" --onlyvisible --name '.*' 2>/dev/null | wc -l; }
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# click_menu X Y: clicks a menu bar title and waits for its menu to show.
click_menu() {
  local before
  before=$(visible_count)
  click_at "$WID" "$1" "$2"
  wait_for 5 bash -c "[ \$(xdotool search --all --pid $ZARVO_PID --onlyvisible --name '.*' 2>/dev/null | wc -l) -gt $before ]" \
    || fail "the menu did not open"
}
# find_window TITLE: waits up to 5 s for a visible window of ours and prints it.
find_window() {
  local w=""
  wait_for 5 shown "$1" && w=$(windows "$1" | head -n 1)
  [ -n "$w" ] || fail "window '$1' not shown"
  echo "$w"
}
