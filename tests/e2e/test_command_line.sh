#!/usr/bin/env bash
# The command line without a window: --help and --version on standard output
# with status 0 and no display needed; an unknown option gives the usage on
# standard error and status 64; no display at all is said in one line.
source "$E2E_LIB"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$ZARVO_BIN/zarvo" --help) || fail "--help: status $?"
case $out in *"zarvo [--help] [--version]"*) ;; *) fail "--help printed: $out" ;; esac
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$ZARVO_BIN/zarvo" --version) || fail "--version: status $?"
case $out in "zarvo "[0-9]*) ;; *) fail "--version printed: $out" ;; esac
status=0
env -u DISPLAY "$ZARVO_BIN/zarvo" --bogus >"$WORK/out" 2>"$WORK/err" || status=$?
[ "$status" = 64 ] || fail "unknown option: status $status"
[ ! -s "$WORK/out" ] && grep -q "zarvo \[--help\]" "$WORK/err" || fail "unknown option: $(cat "$WORK/err")"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$ZARVO_BIN/zarvo" doc.txt 2>"$WORK/err" || status=$?
[ "$status" != 0 ] && [ "$(wc -l < "$WORK/err")" = 1 ] || fail "no display: status $status, $(cat "$WORK/err")"

# With a display, "--" lets a document's name start with a dash.
printf 'x\r\n' > -doc.txt
start_zarvo -- -doc.txt
[ "$(window_title)" = "-doc.txt" ] || fail "title is '$(window_title)'"
key F10
wait_exit
echo "command line e2e passed"
