#!/usr/bin/env bash
# usage: run.sh BIN_DIR OUT_DIR — Replace All and find next through the editor,
# next to sed and grep doing the same on the same files.
set -euo pipefail
bin=$1
out=$2/search
mkdir -p "$out"
"$bin/bench_search" "$out" | tee "$out/zarvo.txt"
word=$(printf 'перевал' | iconv -f UTF-8 -t CP1251)
repl=$(printf 'ПЕРЕХОД' | iconv -f UTF-8 -t CP1251)
needle=$(printf 'перешеек' | iconv -f UTF-8 -t CP1251)
t0=$(date +%s.%N)
LC_ALL=C sed "s/$word/$repl/g" "$out/replace.txt" >"$out/replace.sed.txt"
t1=$(date +%s.%N)
LC_ALL=C grep -a -b -o -m1 "$needle" "$out/find.txt" >"$out/grep.txt"
t2=$(date +%s.%N)
echo "sed_replace_20MB_s $(echo "$t1 - $t0" | bc)"
echo "grep_find_50MB_s $(echo "$t2 - $t1" | bc)"
if cmp -s "$out/replace.sed.txt" "$out/replace.zarvo.txt"; then
  echo "replace_result identical to sed"
else
  echo "replace_result DIFFERS from sed"; exit 1
fi
rm -f "$out"/*.txt.tmp
