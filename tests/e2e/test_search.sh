#!/usr/bin/env bash
# Search panel (F7, typing, Esc) and Replace All from the Replace dialog (F4), then F2.
source "$E2E_LIB"

printf 'cat dog cat\r\nconcat\r\n' > doc.txt
start_zarvo doc.txt

key F7
type_text "dog"      # each release searches: "dog" ends up selected
key Escape           # hides the panel, back to the editor
type_text "X"        # replaces the selected occurrence

key F4
wait_for 5 has_focus_in "Замена" || fail "the replace dialog did not take the keyboard"
type_text "cat"      # find text
key Tab
type_text "cow"      # replace text
key Tab Tab Tab Tab Tab   # whole word, match case, Find Next, Replace, Replace All
key space
key Escape           # closes the dialog and gives the keyboard back to the main window
wait_for 5 has_focus "$WID" || focus_main
saved_as doc.txt "$(hex 'cow X cow\r\nconcow\r\n')"

# One Ctrl+Z takes the whole Replace All back; Ctrl+Y does it again.
key ctrl+z
saved_as doc.txt "$(hex 'cat X cat\r\nconcat\r\n')"
key ctrl+y
saved_as doc.txt "$(hex 'cow X cow\r\nconcow\r\n')"

key F10
wait_exit
echo "search e2e passed"
