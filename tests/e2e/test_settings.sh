#!/usr/bin/env bash
# The settings file across two sessions: a first start in an empty folder
# writes every key at exit; the next start puts the window where it was left.
source "$E2E_LIB"

[ ! -e Zarvo.ini ] || fail "folder not empty"
start_zarvo
eval "$(xdotool getwindowgeometry --shell "$WID")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "198,120,544,375" ] || fail "first start at $X,$Y ${WIDTH}x$HEIGHT"

xdotool windowmove --sync "$WID" 100 80 || xdotool windowmove "$WID" 100 80
xdotool windowsize --sync "$WID" 640 480 || xdotool windowsize "$WID" 640 480
# The move and the resize reach the program before the F10 that follows: X
# delivers its events in order.
key F10
wait_exit

# The first start selected the ready dictionary of both languages.
ready="$(cd "$ZARVO_BIN/../share/zarvo" && pwd)/Русский и English.slo"
expected=$(printf '%s\r\n' '[Form1]' 'ListBox1=121' 'WindowState=0' 'Top=80' 'Left=100' 'Height=480' 'Width=640' \
  '[Font]' 'Charset=1' 'Color=-16777208' 'Height=-11' 'Name=MS Sans Serif' 'Pitch=0' 'Size=8' 'Style=0' \
  '[Option]' "Dic=$ready" | iconv -f UTF-8 -t CP1251 | od -An -v -tx1 | tr -d ' \n')
expect_bytes Zarvo.ini "$expected"

start_zarvo
eval "$(xdotool getwindowgeometry --shell "$WID")"
[ "$X,$Y,$WIDTH,$HEIGHT" = "100,80,640,480" ] || fail "second start at $X,$Y ${WIDTH}x$HEIGHT"
key F10
wait_exit
expect_bytes Zarvo.ini "$expected"
echo "settings e2e passed"
