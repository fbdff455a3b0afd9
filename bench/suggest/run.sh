#!/usr/bin/env bash
# usage: run.sh BIN_DIR OUT_DIR
set -euo pipefail
bin=$1
out=$2
mkdir -p "$out"
dict="$out/suggest-1m.slo"
"$bin/bench_suggest" generate "$dict" 1000000
start=$(date +%s.%N)
lines=$(LC_ALL=C wc -l < "$dict")
end=$(date +%s.%N)
echo "wc -l: $lines lines in $(echo "($end - $start) * 1000" | bc -l | xargs printf '%.1f') ms"
"$bin/bench_suggest" measure "$dict"
# The same with both completion options on: the words of 20 MB of real text
# (made by the document benchmark) and learned words take part in every list.
# Target: median <= 1 ms, maximum <= 5 ms.
doc="$out/document-words-20mb.txt"
[ -s "$doc" ] && "$bin/bench_suggest" measure "$dict" "$doc" | grep -v '^memory\|^LoadDictionary\|^words:'
