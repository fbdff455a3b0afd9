#!/usr/bin/env bash
# The active layout comes from the keymap itself, in any order of layouts and
# when the keymap is loaded the way XWayland loads it (xkbcomp, so the root
# window's rules property still says "us"); the program started before and
# after the change. Checked in the saved bytes.
source "$E2E_LIB"

ALT=64 Q=24
: > t.txt

# ru first: group 0 is Russian, so Alt+Q gives the US letter there.
setxkbmap -layout ru,us -option ""
start_zarvo t.txt
xkeys group 0
xkeys caps off
xkeys chord $ALT+$Q
settle t.txt
xkeys group 1
xkeys chord $ALT+$Q
saved_as t.txt "$(hex 'q\xe9')"

# Now a us,ru keymap loaded with xkbcomp while the program runs; the rules
# property keeps saying "ru,us".
setxkbmap -layout us,ru -print | xkbcomp - "$DISPLAY" 2>/dev/null
xkeys group 0
xkeys chord $ALT+$Q
settle t.txt
xkeys group 1
xkeys chord $ALT+$Q
saved_as t.txt "$(hex 'q\xe9\xe9q')"
key F10
wait_exit

# Rules property "us", keymap ru,us (what XWayland shows): started after the change.
setxkbmap -layout us -option ""
setxkbmap -layout ru,us -print | xkbcomp - "$DISPLAY" 2>/dev/null
xprop -root _XKB_RULES_NAMES | grep -q '"us", ""' || fail "rules property changed: $(xprop -root _XKB_RULES_NAMES)"
: > t.txt
start_zarvo t.txt
xkeys group 0
xkeys chord $ALT+$Q
settle t.txt
xkeys group 1
xkeys chord $ALT+$Q
saved_as t.txt "$(hex 'q\xe9')"
key F10
wait_exit
echo "layout keymap e2e passed"
