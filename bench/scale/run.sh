#!/usr/bin/env bash
# Long lines and big files against the peers (FeatherPad, Geany from Debian),
# driven the same way under Xvfb with real key events: CPU to open a file
# until the editor is idle, CPU per typed key at the end of the text, and
# CPU of an idle caret. Prints Zarvo's figures alone when the peers are not
# installed and cannot be.
# run.sh BIN_DIR OUT_DIR
set -euo pipefail
bin=$1 out=$2
mkdir -p "$out"

peers=()
for p in featherpad geany; do
  if ! command -v "$p" >/dev/null; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo -n"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$p" >/dev/null 2>&1 || true
  fi
  command -v "$p" >/dev/null && peers+=("$p")
done

# ASCII text, so that every editor reads the same characters.
line256="$out/scale-line-256k.txt"
[ -s "$line256" ] || python3 -c "
import random; random.seed(7)
w = 'lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor'.split()
s = ''
while len(s) < 262144: s += random.choice(w) + ' '
open('$line256', 'w').write(s[:262144])"
lines20="$out/scale-lines-20mb.txt"
[ -s "$lines20" ] || python3 -c "
import random; random.seed(8)
w = 'lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor'.split()
out = []; n = 0
while n < 20000000:
    l = ' '.join(random.choice(w) for _ in range(random.randint(3, 14))) + '\n'; out.append(l); n += len(l)
open('$lines20', 'w').write(''.join(out))"

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat > "$inner" <<'INNER'
set -euo pipefail
editor=$1 file=$2 bin=$3
work=$(mktemp -d)
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
cd "$work"
cp "$file" doc.txt
printf '[Option]\r\nDic=\r\n' > Zarvo.ini
case $editor in
  zarvo) "$bin/zarvo" doc.txt >/dev/null 2>&1 & ;;
  featherpad) featherpad --standalone doc.txt >/dev/null 2>&1 & ;;
  geany) geany -i -n doc.txt >/dev/null 2>&1 & ;;
esac
pid=$!
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
# Open: CPU until the window is there and the program stays idle for 0.6 s.
for _ in $(seq 1 600); do
  wid=$(xdotool search --pid "$pid" --onlyvisible --name . 2>/dev/null | tail -n 1 || true)
  [ -n "$wid" ] && break
  sleep 0.05
done
last=-1
for _ in $(seq 1 600); do
  now=$(ticks); [ "$now" = "$last" ] && break; last=$now; sleep 0.6
done
open_ms=$(awk -v t="$last" -v h="$hz" 'BEGIN { printf "%.0f", t * 1000 / h }')
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key ctrl+End; sleep 1
# An idle caret at the end of the text, five seconds.
before=$(ticks); sleep 5; after=$(ticks)
idle_pct=$(awk -v a="$after" -v b="$before" -v h="$hz" 'BEGIN { printf "%.1f", (a - b) * 100 / h / 5 }')
# Typing at the end: a letter and a backspace, forty times.
before=$(ticks)
for _ in $(seq 1 40); do xdotool key x; sleep 0.05; xdotool key BackSpace; sleep 0.05; done
sleep 1
after=$(ticks)
key_ms=$(awk -v a="$after" -v b="$before" -v h="$hz" 'BEGIN { printf "%.2f", (a - b) * 1000 / h / 80 }')
kill -9 "$pid" 2>/dev/null || true
rm -rf "$work"
echo "$open_ms $key_ms $idle_pct"
INNER
measure() { xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$inner" "$@" "$bin"; }

for case in "$line256|one 256 KB line" "$lines20|20 MB of ordinary lines"; do
  file=${case%%|*} name=${case#*|}
  echo "$name:"
  printf '  %-11s %14s %16s %14s\n' editor "open (CPU ms)" "per key (CPU ms)" "idle caret (%)"
  for e in zarvo "${peers[@]}"; do
    read -r o k i < <(measure "$e" "$file")
    printf '  %-11s %14s %16s %14s\n' "$e" "$o" "$k" "$i"
  done
done
