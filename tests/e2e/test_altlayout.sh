#!/usr/bin/env bash
# Alt+key types the other layout's character with real XKB layouts; raw keycodes
# are pressed, so the result does not depend on keysyms. Checked in the saved bytes.
source "$E2E_LIB"

ALT=64 SHIFT=50 CTRL=37 Q=24 A=38 W=25
setxkbmap -layout us,ru -option ""
: > t.txt
start_zarvo t.txt

save_expect() { saved_as t.txt "$1"; }
# The program asks for the layout when it handles a key: every key sent
# before a group change must be handled first.
group() { settle t.txt; xkeys group "$1"; }
caps() { settle t.txt; xkeys caps "$1"; }
group 0
caps off

# US layout active: Russian letters, Shift and Caps Lock each flip the case.
xkeys chord $ALT+$Q $SHIFT+$ALT+$Q
save_expect "$(hex '\xe9\xc9')"                       # "йЙ"
caps on
xkeys chord $ALT+$Q $SHIFT+$ALT+$Q
caps off
save_expect "$(hex '\xe9\xc9\xc9\xe9')"               # "йЙЙй"

# Russian layout active: the US letters.
group 1
xkeys chord $ALT+$Q $SHIFT+$ALT+$W
caps on
xkeys chord $ALT+$Q
caps off
group 0
save_expect "$(hex '\xe9\xc9\xc9\xe9qWQ')"

# Alt pressed and released alone leaves the focus in the editor; Ctrl+Alt+Q
# types nothing.
xkeys chord $ALT
xkeys chord $A
xkeys chord $CTRL+$ALT+$Q
save_expect "$(hex '\xe9\xc9\xc9\xe9qWQa')"

# Another English layout is not the US one.
settle t.txt
setxkbmap -layout gb -option ""
xkeys chord $ALT+$Q
save_expect "$(hex '\xe9\xc9\xc9\xe9qWQaq')"

key F10
wait_exit
echo "altlayout e2e passed"
