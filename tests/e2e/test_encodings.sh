#!/usr/bin/env bash
# Files in their own form: a UTF-8 document with LF line ends, opened from the
# command line and typed in (Russian letters through the ru group, a word
# completed with Ctrl), is saved as UTF-8 with LF; a pasted character that
# Windows-1251 lacks, in a Windows-1251 document, is saved as UTF-8 after the
# question. Checked in the saved bytes.
source "$E2E_LIB"

CTRL=37 SPACE=65 G=42 H=43 B=56   # п р и on the Russian layout
printf ' \r\n' > words.slo
printf '9 привычка\r\n' | iconv -f UTF-8 -t CP1251 >> words.slo
printf '[Option]\r\nDic=%s\r\n' "$WORK/words.slo" > Zarvo.ini
printf 'Привет\n' > doc.txt

setxkbmap -layout us,ru -option ""
start_zarvo doc.txt
key ctrl+End
settle doc.txt
xkeys group 1
xkeys chord $G $H $B
xkeys chord $CTRL
settle doc.txt
xkeys group 0
saved_as doc.txt "$(hex 'Привет\nпривычка')"
key F10
wait_exit

# Windows-1251 document; a character it cannot hold comes in by paste.
printf 'old\r\n' > w.txt
start_zarvo w.txt
printf '\xc4\x80' | xclip -selection clipboard -t UTF8_STRING -i
clipboard_ready() { [ "$(xclip -o -selection clipboard 2>/dev/null | od -An -tx1 | tr -d ' \n')" = c480 ]; }
wait_for 5 clipboard_ready || fail "xclip did not take the clipboard"
key ctrl+End ctrl+v
key F2
answer Return                     # "Сохранить в UTF-8", the default
wait_for 5 bytes_are w.txt "$(hex 'old\r\n\xc4\x80')" || expect_bytes w.txt "$(hex 'old\r\n\xc4\x80')"
key F10
wait_exit
echo "encodings e2e passed"
