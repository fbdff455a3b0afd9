#!/usr/bin/env bash
# The program's own CPU time per keystroke under a real X server: one Russian
# letter typed and erased forty times, with a 1,000,000-word dictionary loaded
# against a seven-word one. Painting is included.
set -euo pipefail
bin=$1 out=$2
mkdir -p "$out"
big="$out/suggest-1m.slo"
[ -s "$big" ] || "$bin/bench_suggest" generate "$big" 1000000
small="$out/seven.slo"
printf '+-*/;."'"'"' ,!?()[]{}^p^t\r\n' > "$small"
for w in перед первый после при про под по; do
  printf '1 %s\r\n' "$w" | iconv -f UTF-8 -t CP1251 >> "$small"
done

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
set -euo pipefail
bin=$1 dict=$2 doc=${3:-} state=${4:-} pauses=${5:-0} options=${6:-}
work=$(mktemp -d)
cd "$work"
export XDG_STATE_HOME=${state:-$work/state}
printf '[Option]\r\nDic=%s\r\n%b' "$dict" "$options" > Zarvo.ini
if [ -n "$doc" ]; then cp "$doc" doc.txt; else : > doc.txt; fi
setxkbmap -layout us,ru -option ""
"$bin/zarvo" doc.txt >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 200); do
  wid=$(xdotool search --pid "$pid" --onlyvisible --class zarvo 2>/dev/null | head -n 1 || true)
  [ -n "$wid" ] && break
  sleep 0.1
done
xdotool windowfocus --sync "$wid" || true
sleep 1
"$bin/xkeys" group 1
[ -n "$doc" ] && { xdotool key ctrl+End; sleep 1; }
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
G=42 BACKSPACE=22
before=$(ticks)
for i in $(seq 1 40); do
  "$bin/xkeys" chord $G; sleep 0.05
  "$bin/xkeys" chord $BACKSPACE; sleep 0.05
  # Pauses in typing, where the recovery file is written.
  [ "$pauses" = 1 ] && [ $((i % 10)) = 0 ] && sleep 1.5
done
sleep 1
after=$(ticks)
hz=$(getconf CLK_TCK)
kill "$pid"; wait "$pid" 2>/dev/null || true
rm -rf "$work"
echo "$after $before $hz" | awk '{printf "%.3f\n", ($1 - $2) * 1000 / $3 / 80}'
INNER
run() { xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$inner" "$bin" "$@"; }
small_ms=$(run "$small")
big_ms=$(run "$big")
echo "CPU per keystroke (type and erase 'п' x40, painting included):"
echo "  7-word dictionary:         $small_ms ms"
echo "  1,000,000-word dictionary: $big_ms ms"
awk -v a="$big_ms" -v b="$small_ms" 'BEGIN { printf "  extra for 1,000,000 words: %.3f ms (target <= 2 ms)\n", a - b }'

# A 20 MB document with pauses in the typing, where the recovery file of the
# unsaved edits is written: recovery on, and off (a state folder that cannot
# be made, so no snapshot is ever taken).
doc20="$out/doc-20mb.txt"
if [ ! -s "$doc20" ]; then
  line=$(printf 'Съешь же ещё этих мягких французских булок, да выпей чаю. 0123456789\r\n' | iconv -f UTF-8 -t CP1251)
  head -c 20000000 < <(yes "$line") > "$doc20"
fi
on_ms=$(run "$small" "$doc20" "" 1)
off_ms=$(run "$small" "$doc20" /proc/zarvo-no-state 1)
echo "CPU per keystroke in a 20 MB document, four pauses of 1.5 s (recovery written in each):"
echo "  recovery on:  $on_ms ms"
echo "  recovery off: $off_ms ms"
awk -v a="$on_ms" -v b="$off_ms" 'BEGIN { printf "  difference: %.3f ms per key (target: not measurable)\n", a - b }'

# Completion from the document's words and from learned words, both on, with
# the 1,000,000-word dictionary and 20 MB of real text (tens of thousands of
# distinct words) against both off. Target: at most 2 ms more per key.
real="$out/document-words-20mb.txt"
[ -s "$real" ] || real="$doc20"
off_ms=$(run "$big" "$real" "" 0)
on_ms=$(run "$big" "$real" "" 0 'DocWords=1\r\nLearn=1\r\n')
echo "CPU per keystroke, 1,000,000-word dictionary, 20 MB of real text:"
echo "  document words and learning off: $off_ms ms"
echo "  both on:                         $on_ms ms"
awk -v a="$on_ms" -v b="$off_ms" 'BEGIN { printf "  extra: %.3f ms per key (target <= 2 ms)\n", a - b }'
