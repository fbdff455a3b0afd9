#!/usr/bin/env bash
# Edits are never thrown away unasked: F10 and F5 with unsaved edits ask
# (cancel keeps the program and the text, save writes then exits, discard
# exits without writing); no edits, or edits undone back to the saved text,
# exit at once with status 0. After SIGKILL the edits come back at the next
# start of the same document.
source "$E2E_LIB"

printf 'saved\r\n' > doc.txt

exit_status() { wait "$ZARVO_PID"; }

# No edits: F10 exits at once with status 0.
start_zarvo doc.txt
key F10
wait_for 5 bash -c "! kill -0 $ZARVO_PID 2>/dev/null" || fail "F10 without edits did not exit"
exit_status || fail "exit status $?"

# Edits undone back to the saved text count as none.
start_zarvo doc.txt
key ctrl+End
type_text "abc"
key ctrl+z
key F10
wait_for 5 bash -c "! kill -0 $ZARVO_PID 2>/dev/null" || fail "F10 after undo to the saved text did not exit"
exit_status || fail "exit status $?"

# Cancel (Escape) keeps the program and the text; discard exits without writing.
start_zarvo doc.txt
key ctrl+End
type_text "abc"
key F10
answer Escape
kill -0 "$ZARVO_PID" || fail "cancel ended the program"
saved_as doc.txt "$(hex 'saved\r\nabc')"
type_text "def"
key F10
answer Tab space      # "Не сохранять"
wait_for 5 bash -c "! kill -0 $ZARVO_PID 2>/dev/null" || fail "discard did not exit"
exit_status || fail "exit status $?"
expect_bytes doc.txt "$(hex 'saved\r\nabc')"

# Save (the default answer) writes, then exits.
start_zarvo doc.txt
key ctrl+End
type_text "X"
key F10
answer Return
wait_for 5 bash -c "! kill -0 $ZARVO_PID 2>/dev/null" || fail "save did not exit"
exit_status || fail "exit status $?"
expect_bytes doc.txt "$(hex 'saved\r\nabcX')"

# F5 with unsaved edits asks before the other document replaces them.
printf 'other\r\n' > other.txt
start_zarvo doc.txt
type_text "Y"
key F5
wait_for 5 has_focus_in "Открыть файл" || fail "the open dialog did not take the keyboard"
xdotool type --delay 40 "$WORK/other.txt"
key Return
answer Escape          # cancel: the edited document stays
[ "$(window_title)" = "doc.txt" ] || fail "cancel still opened the other document: $(window_title)"
key ctrl+z
key F10
wait_for 5 bash -c "! kill -0 $ZARVO_PID 2>/dev/null" || fail "F10 did not exit"

# Killed 3 s after the last key: at the next start the question comes first,
# Enter restores the text, F2 saves it to the original file.
start_zarvo doc.txt
key ctrl+End
type_text "lost?"
sleep 3                # the subject of the test: killed 3 s after the last key
ls "$XDG_STATE_HOME"/zarvo/*.recovery >/dev/null 2>&1 || fail "no recovery file 3 s after the last key"
kill -9 "$ZARVO_PID"
wait "$ZARVO_PID" 2>/dev/null || true
expect_bytes doc.txt "$(hex 'saved\r\nabcX')"
"$ZARVO_BIN/zarvo" doc.txt >"$WORK/zarvo.log" 2>&1 &
ZARVO_PID=$!
# The question is the program's only window, before the main window shows.
wait_for 5 bash -c "xdotool search --all --pid $ZARVO_PID --onlyvisible --name '^Zarvo\$' >/dev/null" \
  || fail "no recovery question"
[ -z "$(xdotool search --all --pid "$ZARVO_PID" --onlyvisible --name '^doc.txt$' 2>/dev/null)" ] \
  || fail "the main window showed before the question"
xdotool key Return
wait_for 5 bash -c "xdotool search --all --pid $ZARVO_PID --onlyvisible --name '^doc.txt\$' >/dev/null" || fail "no window"
WID=$(xdotool search --all --pid "$ZARVO_PID" --onlyvisible --name '^doc.txt$' | head -n 1)
xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID" || true
saved_as doc.txt "$(hex 'saved\r\nabcXlost?')"
key F10
wait_for 5 bash -c "! kill -0 $ZARVO_PID 2>/dev/null" || fail "F10 after the restored save did not exit"
[ -z "$(ls -A "$XDG_STATE_HOME/zarvo" 2>/dev/null | grep recovery || true)" ] || fail "recovery files left: $(ls -A "$XDG_STATE_HOME/zarvo")"
echo "unsaved edits e2e passed"
