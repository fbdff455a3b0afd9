#!/usr/bin/env bash
# Builds a dictionary through the windows: menu "Словарь", "Создать", the file
# dialog, the progress window (paused once and continued), then selects the new
# dictionary with "Выбрать" and completes a typed prefix from it with Ctrl.
source "$E2E_LIB"

NAME="e2e-build-$$.txt"
SLO="$ZARVO_BIN/slo/$NAME.slo"
trap 'rm -f "$SLO"; kill ${ZARVO_PID:-} 2>/dev/null || true; rm -rf "$WORK"' EXIT

# A Windows-1251 source of some 80 MB and three million distinct words, so
# that the build lasts long enough to be caught and paused; "quixotic" is the
# one word that starts with "quix".
for f in /usr/share/games/fortunes/ru/*; do
  case $f in *.dat|*.u8) ;; *) cat "$f" ;; esac
done | iconv -f UTF-8 -t CP1251 -c | grep -aiv quix > chunk.txt
printf 'quixotic quixotic\r\n' >> chunk.txt
{ for _ in $(seq 40); do cat chunk.txt; done; seq 1 3000000; } > "$NAME"
[ "$(stat -c %s "$NAME")" -gt 50000000 ] || fail "source too small"

printf 'one\r\n' > doc.txt
start_zarvo doc.txt

click_menu 135 9               # menu bar "Словарь"
click_at "$WID" 150 32         # its item "Словарь"
DIC=$(find_window "Словарь")
[ -n "$DIC" ] || fail "dictionary window not shown"
click_at "$DIC" 405 60         # "Создать"

FD=$(find_window "Выберите текст")
[ -n "$FD" ] || fail "file dialog not shown"
wait_for 5 has_focus_in "Выберите текст" || fail "the file dialog did not take the keyboard"
xdotool type --delay 10 "$WORK/$NAME"
xdotool key Return

PROG=$(find_window "Процесс")
[ -n "$PROG" ] || fail "progress window not shown"
click_at "$PROG" 192 84        # "Пауза"
sleep 1                        # the subject: nothing may happen for longer than a whole build takes
# Paused: the window stays although an unpaused build takes about a second.
shown "Процесс" || fail "progress window closed while paused"
import -window root "${ZARVO_SHOT:-$WORK/progress.png}"
click_at "$PROG" 192 84        # "Дальше"

wait_for 30 bash -c "! xdotool search --all --pid $ZARVO_PID --onlyvisible --name '^Процесс\$' >/dev/null" \
  || fail "progress window still open"
[ -s "$SLO" ] || fail "no dictionary written"
# The first line is the delimiter specification the build was given.
head -n 1 "$SLO" | cmp -s - <(printf '+-*/;.\x22 '"'"',!?()[]{}^p^t\r\n') || fail "bad first line in $SLO"
grep -aq '^[0-9]* quixotic'$'\r''$' "$SLO" || fail "quixotic missing from $SLO"

# Select it: the list's keyboard search finds the item by its name.
sleep 1                         # no sign outside the program: the folder watch refreshes the list
click_at "$DIC" 200 40            # in the list of the user's dictionaries, above the ready ones
xdotool type --delay 20 "$NAME"
click_at "$DIC" 405 28         # "Выбрать"
# The window closes once the dictionary is loaded: millions of words take a while.
wait_for 10 bash -c "! xdotool search --all --pid $ZARVO_PID --onlyvisible --name '^Словарь\$' >/dev/null" \
  || fail "dictionary window still shown after select"

focus_main
click_at "$WID" 200 150
key ctrl+End
type_text "quix"
key Control_L
saved_as doc.txt "$(hex 'one\r\nquixotic')"

key F10
wait_exit
grep -q "QThread\|Destroyed" "$WORK/zarvo.log" && fail "$(cat "$WORK/zarvo.log")"
echo "build e2e passed"
