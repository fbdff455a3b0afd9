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
sleep 0.5
type_text "cat"      # find text
key Tab
type_text "cow"      # replace text
key Tab Tab Tab Tab Tab   # whole word, match case, Find Next, Replace, Replace All
key space
sleep 0.3
key Escape           # closes the dialog and gives the keyboard back to the main window
sleep 0.3
key F2
sleep 0.5
expect_bytes doc.txt "$(printf 'cow X cow\r\nconcow\r\n' | od -An -v -tx1 | tr -d ' \n')"

# One Ctrl+Z takes the whole Replace All back; Ctrl+Y does it again.
key ctrl+z
saved_as doc.txt "$(hex 'cat X cat\r\nconcat\r\n')"
key ctrl+y
saved_as doc.txt "$(hex 'cow X cow\r\nconcow\r\n')"

key F10
wait_exit
echo "search e2e passed"
