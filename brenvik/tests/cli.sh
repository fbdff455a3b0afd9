#!/usr/bin/env bash
# zarvo-dict: exit status is the library's result; failures print the Russian texts.
set -u
d=$(mktemp -d); trap 'rm -rf "$d"' EXIT
fail=0
expect() { # status message-substring command...
  local want=$1 text=$2; shift 2
  local err; err=$("$@" 2>&1 >/dev/null); local got=$?
  if [ "$got" != "$want" ] || [[ "$err" != *"$text"* ]]; then
    echo "FAIL: $* -> $got '$err' (want $want '$text')"; fail=1
  fi
}
printf 'Слово слово, другое; tab\tx\r\nслово' | iconv -f UTF-8 -t CP1251 > "$d/src.txt"
: > "$d/empty.txt"
expect 0 "" "$BIN/zarvo-dict" "$d/src.txt" "$d/out.slo"
printf '%s\r\n3 \xf1\xeb\xee\xe2\xee\r\n1 \xe4\xf0\xf3\xe3\xee\xe5\r\n' '+-*/;." '"'"',!?()[]{}^p^t' > "$d/want.slo"
cmp "$d/out.slo" "$d/want.slo" || { echo "FAIL: default build"; fail=1; }
expect 0 "" "$BIN/zarvo-dict" "$d/src.txt" "$d/out2.slo" --delims "ъ ^t" --min 0
head -c 6 "$d/out2.slo" | cmp - <(printf '\xfa ^t\r\n') || { echo "FAIL: --delims conversion"; fail=1; }
expect 1 "Файл $d/none.txt не найден" "$BIN/zarvo-dict" "$d/none.txt" "$d/x.slo"
expect 2 "Файл $d/no/x.slo не открыт" "$BIN/zarvo-dict" "$d/src.txt" "$d/no/x.slo"
expect 3 "Размер файла $d/empty.txt равен нулю" "$BIN/zarvo-dict" "$d/empty.txt" "$d/x.slo"
expect 4 "Размер файла $d/x.slo будет равен нулю" "$BIN/zarvo-dict" "$d/src.txt" "$d/x.slo" --min 20
expect 64 "usage" "$BIN/zarvo-dict" "$d/src.txt"
expect 64 "--min" "$BIN/zarvo-dict" "$d/src.txt" "$d/x.slo" --min 21
expect 64 "Windows-1251" "$BIN/zarvo-dict" "$d/src.txt" "$d/x.slo" --delims "中"
expect 64 "unknown option --frobnicate" "$BIN/zarvo-dict" --frobnicate "$d/src.txt" "$d/x.slo"
# --help and --version answer on standard output, status 0; -- ends the options.
for opt in --help --version; do
  out=$("$BIN/zarvo-dict" $opt 2>/dev/null) && [[ "$out" == *zarvo-dict* ]] || { echo "FAIL: $opt"; fail=1; }
done
cp "$d/src.txt" "$d/--help"
(cd "$d" && "$BIN/zarvo-dict" -- --help dash.slo >/dev/null 2>&1) && cmp -s "$d/dash.slo" "$d/out.slo" \
  || { echo "FAIL: -- before a source named --help"; fail=1; }
exit $fail
