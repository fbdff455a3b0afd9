#!/usr/bin/env bash
# A first start (no settings file) selects the ready dictionary of both
# languages: a Russian and an English word complete with Ctrl from the first
# key, and the settings file written at exit names that dictionary.
source "$E2E_LIB"

CTRL=37 SPACE=65 G=42 H=43 B=56 D=40   # п р и в on the Russian layout
READY="$(cd "$ZARVO_BIN/../share/zarvo" && pwd)/Русский и English.slo"
[ -s "$READY" ] || fail "no ready dictionary at $READY"
# The top suggestion for a prefix: the first word in the file that begins with it.
top() { iconv -f CP1251 -t UTF-8 "$READY" | tr -d '\r' | awk -v p="$1" 'NR > 1 && !found && index($2, p) == 1 { print $2; found = 1 }'; }
ru=$(top прив) en=$(top hel)
[ -n "$ru" ] && [ -n "$en" ] || fail "the ready dictionary has no word for прив or hel"

printf 'x\n' > doc.txt
setxkbmap -layout us,ru -option ""
start_zarvo doc.txt
key ctrl+End
settle doc.txt
xkeys group 1
xkeys chord $G $H $B $D
xkeys chord $CTRL
xkeys chord $SPACE
settle doc.txt
xkeys group 0
type_text "hel"
key Control_L
# An ASCII file is Windows-1251, so the Russian word is saved in it.
saved_as doc.txt "$(printf 'x\n%s %s' "$ru" "$en" | iconv -f UTF-8 -t CP1251 | od -An -v -tx1 | tr -d ' \n')"
key F10
wait_exit
grep -aq "^Dic=$(printf '%s' "$READY" | iconv -f UTF-8 -t CP1251)"$'\r'"\$" Zarvo.ini \
  || fail "Zarvo.ini does not name the ready dictionary: $(cat -v Zarvo.ini)"
echo "first start e2e passed"
