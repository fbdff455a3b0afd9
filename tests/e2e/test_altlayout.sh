#!/usr/bin/env bash
# Alt+key types the other layout's character with real XKB layouts; raw keycodes
# are pressed, so the result does not depend on keysyms. Checked in the saved bytes.
source "$E2E_LIB"

ALT=64 SHIFT=50 CTRL=37 Q=24 A=38 W=25
setxkbmap -layout us,ru -option ""
: > t.txt
start_zarvo t.txt
xkeys group 0
xkeys caps off

save_expect() { key F2; sleep 0.4; expect_bytes t.txt "$1"; }

# US layout active: Russian letters, Shift and Caps Lock each flip the case.
xkeys chord $ALT+$Q $SHIFT+$ALT+$Q
save_expect "$(hex '\xe9\xc9')"                       # "йЙ"
xkeys caps on
xkeys chord $ALT+$Q $SHIFT+$ALT+$Q
xkeys caps off
save_expect "$(hex '\xe9\xc9\xc9\xe9')"               # "йЙЙй"

# Russian layout active: the US letters.
xkeys group 1
xkeys chord $ALT+$Q $SHIFT+$ALT+$W
xkeys caps on
xkeys chord $ALT+$Q
xkeys caps off
xkeys group 0
save_expect "$(hex '\xe9\xc9\xc9\xe9qWQ')"

# Alt pressed and released alone leaves the focus in the editor; Ctrl+Alt+Q
# types nothing.
xkeys chord $ALT
xkeys chord $A
xkeys chord $CTRL+$ALT+$Q
save_expect "$(hex '\xe9\xc9\xc9\xe9qWQa')"

# Another English layout is not the US one.
setxkbmap -layout gb -option ""
sleep 0.3
xkeys chord $ALT+$Q
save_expect "$(hex '\xe9\xc9\xc9\xe9qWQaq')"

key F10
wait_exit
echo "altlayout e2e passed"
