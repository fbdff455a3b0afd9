#!/usr/bin/env bash
# With a dictionary named in ./Zarvo.ini, typing W h e lists "when" and
# "where"; Ctrl completes to "When"; F2 saves the document given on the
# command line.
source "$E2E_LIB"

printf '+-*/;.\x22 '"'"',!?()[]{}^p^t\r\n9 when\r\n8 where\r\n7 who\r\n6 When\r\n' > "$WORK/words.slo"
printf '[Option]\r\nDic=%s\r\n' "$WORK/words.slo" > Zarvo.ini
printf 'one\r\n' > doc.txt

start_zarvo doc.txt
key ctrl+End
type_text "Whe"
key Control_L
saved_as doc.txt "$(hex 'one\r\nWhen')"

# A blank after the word keeps the list: Ctrl still completes from it.
key space
type_text "wh"
key Control_L
saved_as doc.txt "$(hex 'one\r\nWhen when')"

key F10
wait_exit
echo "suggestions e2e passed"
