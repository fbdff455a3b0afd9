#!/usr/bin/env bash
# Completion beyond the dictionary: with "Слова из документа" on, a word
# written earlier in the document completes with Ctrl, and with it off it
# does not; with "Запоминать слова" on, a word finished twice in one run is
# ranked first for its prefix in the next.
source "$E2E_LIB"

DICT="e2e-learn-$$.slo"
LEARNED="$ZARVO_BIN/learned/$DICT.learned"
trap 'rm -f "$LEARNED"; kill ${ZARVO_PID:-} 2>/dev/null || true; rm -rf "$WORK"' EXIT
printf '+-*/;.\x22 '"'"',!?()[]{}^p^t\r\n9 quorum\r\n8 quokka\r\n7 when\r\n' > "$WORK/$DICT"

# The document's words, on.
printf '[Option]\r\nDic=%s\r\nDocWords=1\r\n' "$WORK/$DICT" > Zarvo.ini
printf 'zanzibarian\r\n' > doc.txt
start_zarvo doc.txt
key ctrl+End
type_text "zanz"
key Control_L
saved_as doc.txt "$(hex 'zanzibarian\r\nzanzibarian')"
key F10
wait_exit
grep -aq $'^DocWords=1\r$' Zarvo.ini || fail "DocWords=1 not kept"

# Off: the same keys complete nothing; the key stays, now 0.
printf '[Option]\r\nDic=%s\r\nDocWords=0\r\n' "$WORK/$DICT" > Zarvo.ini
printf 'zanzibarian\r\n' > doc.txt
start_zarvo doc.txt
key ctrl+End
type_text "zanz"
key Control_L
saved_as doc.txt "$(hex 'zanzibarian\r\nzanz')"
key F10
wait_exit
grep -aq $'^DocWords=0\r$' Zarvo.ini || fail "DocWords=0 not kept"
! grep -aq '^Learn=' Zarvo.ini || fail "Learn written though never on"

# Learning: "quokka" finished twice in one run...
printf '[Option]\r\nDic=%s\r\nLearn=1\r\n' "$WORK/$DICT" > Zarvo.ini
printf 'x\r\n' > learn.txt
start_zarvo learn.txt
key ctrl+End
type_text "quokka quokka "
saved_as learn.txt "$(hex 'x\r\nquokka quokka ')"
key F10
wait_exit
grep -aq $'^2 quokka\r$' "$LEARNED" || fail "no learned count in $LEARNED"
# ... comes first for "quo" in the next, ahead of the dictionary's "quorum".
start_zarvo learn.txt
key ctrl+End
type_text "quo"
key Control_L
saved_as learn.txt "$(hex 'x\r\nquokka quokka quokka')"
key F10
wait_exit
echo "completion sources e2e passed"
