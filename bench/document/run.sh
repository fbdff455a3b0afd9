#!/usr/bin/env bash
# Open and save of a 20 MB Windows-1251 document, next to iconv on the same file.
set -euo pipefail
bin=$1 out=$2
doc="$out/document-20mb.txt"
if [ ! -s "$doc" ]; then
  # Reproducible mixed Russian/English text with CR LF line ends.
  python3 - "$doc" <<'PY'
import random, sys
random.seed(1251)
ru = "съешь же ещё этих мягких французских булок да выпей чаю широкая электрификация южных губерний".split()
en = "the quick brown fox jumps over the lazy dog while pack my box with five dozen liquor jugs".split()
words = ru + en
out = bytearray()
while len(out) < 20 * 1024 * 1024:
    line = " ".join(random.choice(words) for _ in range(random.randint(3, 14)))
    out += line.capitalize().encode("cp1251") + b".\r\n"
open(sys.argv[1], "wb").write(out)
PY
fi
# Best of three runs for every figure, as for the editor.
utf8="$out/document-20mb.utf8"
iconv -f CP1251 -t UTF-8 "$doc" -o "$utf8"
best_of_3() {
  python3 - "$@" <<'PY2'
import subprocess, sys, time
best = 1e9
for _ in range(3):
    t = time.perf_counter(); subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL); best = min(best, time.perf_counter() - t)
print(f"{best:.3f}")
PY2
}
iconv_in=$(best_of_3 iconv -f CP1251 -t UTF-8 "$doc" -o /dev/null)
iconv_out=$(best_of_3 iconv -f UTF-8 -t CP1251 "$utf8" -o /dev/null)
read -r open save _ _ < <("$bin/bench_document" "$doc" "$out/document-saved.txt")
cmp -s "$doc" "$out/document-saved.txt" || { echo "saved file differs from the source" >&2; exit 1; }
# The same text in UTF-8 (target: opening it costs at most 1.3 times the Windows-1251 open).
read -r open8 save8 _ _ < <("$bin/bench_document" "$utf8" "$out/document-saved.utf8")
cmp -s "$utf8" "$out/document-saved.utf8" || { echo "saved UTF-8 file differs from the source" >&2; exit 1; }
size=$(stat -c %s "$doc")
python3 - "$size" "$open" "$save" "$iconv_in" "$iconv_out" <<'PY'
import sys
size, op, sv, ii, io = int(sys.argv[1]), *map(float, sys.argv[2:])
ii = max(ii, 0.01); io = max(io, 0.01)
print(f"document: {size/1e6:.1f} MB Windows-1251")
print(f"  open into the editor: {op:.3f} s   iconv cp1251->utf8: {ii:.3f} s   ratio {op/ii:.2f} (target <= 4)")
print(f"  save from the editor: {sv:.3f} s   iconv utf8->cp1251: {io:.3f} s   ratio {sv/io:.2f} (target <= 1.5)")
PY
awk -v a="$open8" -v b="$open" -v s="$save8" 'BEGIN { printf "  UTF-8 (same text): open %.3f s, %.2fx the Windows-1251 open (target <= 1.3); save %.3f s\n", a, a / b, s }'

# The document's words counted on opening ("Слова из документа"), on 20 MB of
# real text with tens of thousands of distinct words (the dictionary
# benchmark's corpus when it is there). Target: at most 1.5 times the open.
real="$out/document-words-20mb.txt"
if [ ! -s "$real" ]; then
  if [ -s "$out/dictbuild-corpus-64mb.txt" ]; then
    head -c 20000000 "$out/dictbuild-corpus-64mb.txt" > "$real"
  else
    cp "$doc" "$real"
  fi
fi
read -r plain _ indexed distinct < <("$bin/bench_document" "$real" "$out/document-words-saved.txt")
awk -v a="$indexed" -v b="$plain" -v d="$distinct" 'BEGIN { printf "  with the document'"'"'s words (%d distinct): open %.3f s, %.2fx the open without (target <= 1.5)\n", d, a, a / b }'
