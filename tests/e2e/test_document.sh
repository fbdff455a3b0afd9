#!/usr/bin/env bash
# Opens a document from the command line, types with real key events, saves with F2.
source "$E2E_LIB"

printf 'one\r\n\xe4\xe2\xe0\r\n' > some.txt        # "one", "два" in Windows-1251
start_zarvo some.txt
[ "$(window_title)" = "some.txt" ] || fail "title is '$(window_title)'"

key ctrl+End
type_text "Hi there"
key Return
type_text "x"
saved_as some.txt "$(hex 'one\r\n\xe4\xe2\xe0\r\nHi there\r\nx')"

key F10
wait_exit
echo "document e2e passed"
