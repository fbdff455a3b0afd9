#!/usr/bin/env bash
# Undo after a Ctrl completion, Ctrl chords that neither insert nor lose text
# while the suggestion list is full, and paste from an empty clipboard.
source "$E2E_LIB"

printf ' \r\n9 when\r\n8 where\r\n7 who\r\n' > "$WORK/words.slo"
printf '[Option]\r\nDic=%s\r\n' "$WORK/words.slo" > Zarvo.ini
: > doc.txt
start_zarvo doc.txt

# Nobody owns the clipboard yet: Ctrl+V pastes nothing and the program lives.
key ctrl+v
saved_as doc.txt ""

# A lone Ctrl completes; Ctrl+Z gives back exactly the text before it, and
# further Ctrl+Z go on through the earlier typing; redo brings both back.
type_text "one wh"
key Control_L
saved_as doc.txt "$(hex 'one when')"
key ctrl+z
saved_as doc.txt "$(hex 'one wh')"
key ctrl+z
saved_as doc.txt ""
key ctrl+shift+z
saved_as doc.txt "$(hex 'one wh')"
key ctrl+y
saved_as doc.txt "$(hex 'one when')"
type_text " wh"

# Ctrl+C copies the selection the list was filled for, and inserts nothing.
key shift+Left shift+Left
key ctrl+c
key End
type_text " "
key ctrl+v
saved_as doc.txt "$(hex 'one when wh wh')"

# Ctrl+Left moves over the word, inserting nothing.
key ctrl+Left
type_text "X"
saved_as doc.txt "$(hex 'one when wh Xwh')"

# Ctrl+BackSpace deletes the word left of the caret, nothing else.
key End
type_text " wh"
key ctrl+BackSpace
saved_as doc.txt "$(hex 'one when wh Xwh ')"

# Ctrl+A selects all with a full list: typing then replaces all of it.
type_text "wh"
key ctrl+a
type_text "Z"
saved_as doc.txt "$(hex 'Z')"

# Ctrl+V with an empty clipboard, and with an image on it: nothing pasted,
# the program alive, the text intact.
printf '' | xclip -selection clipboard -i
key ctrl+v
saved_as doc.txt "$(hex 'Z')"
convert -size 4x4 xc:red png:- | xclip -selection clipboard -t image/png -i
clipboard_has_image() { xclip -o -selection clipboard -t TARGETS 2>/dev/null | grep -q image/png; }
wait_for 5 clipboard_has_image || fail "xclip did not take the clipboard"
key ctrl+v
saved_as doc.txt "$(hex 'Z')"
kill -0 "$ZARVO_PID" || fail "the program died on paste"

key F10
wait_exit
echo "keyboard road e2e passed"
