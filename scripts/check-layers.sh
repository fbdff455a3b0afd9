#!/usr/bin/env bash
# Fails when an include reaches up through the layers of src/:
#   core/      its own headers; Qt Core and Gui; no widgets, no X11, no library
#   platform/  core/ and itself; no widgets
#   controls/  core/, platform/ and itself; no library
#   textdict/  the only place that includes the library's header
#   windows    (Unit*, startup, main) anything below them; Unit1.h, the main
#              window, only from its own files and start-up, so the other
#              windows never depend back on it
# usage: check-layers.sh SRC_DIR
set -uo pipefail
src=${1:?usage: check-layers.sh SRC_DIR}
cd "$src" || exit 2
widgets_dir=$(ls -d /usr/include/*/qt6/QtWidgets /usr/include/qt6/QtWidgets 2>/dev/null | head -n 1)
status=0
complain() { echo "layer check: $1:$2: $3" >&2; status=1; }

check_file() {
  local file=$1 allowed=$2 widgets=$3 library=$4 x11=$5
  local n=0 line inc
  while IFS= read -r line; do
    n=$((n + 1))
    [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]+) ]] || continue
    inc=${BASH_REMATCH[2]}
    if [ "${BASH_REMATCH[1]}" = '"' ]; then
      case $inc in
        ui_*.h|*.moc) continue ;;
      esac
      local ok=0 prefix
      for prefix in $allowed; do
        [[ $inc == "$prefix"* ]] && ok=1
      done
      [ $ok = 1 ] || complain "$file" "$n" "\"$inc\" is above this layer"
    else
      if [ "$library" = no ] && [ "$inc" = brenvik.h ]; then
        complain "$file" "$n" "the library is reached only through textdict/"
      fi
      if [ "$x11" = no ] && [[ $inc == X11/* ]]; then
        complain "$file" "$n" "X11 belongs to platform/"
      fi
      if [ "$widgets" = no ] && [ -n "$widgets_dir" ] && [[ $inc == Q* ]] && [ -e "$widgets_dir/${inc#QtWidgets/}" ]; then
        complain "$file" "$n" "<$inc> is a widget: windows and controls only"
      fi
    fi
  done < "$file"
}

for f in core/*; do check_file "$f" "core/" no no no; done
for f in platform/*; do check_file "$f" "core/ platform/" no no yes; done
for f in controls/*; do check_file "$f" "core/ platform/ controls/" yes no no; done
for f in textdict/*; do check_file "$f" "core/ textdict/" no yes no; done
for f in Unit*.cpp Unit*.h startup.* main.cpp; do
  check_file "$f" "core/ platform/ controls/ textdict/ Unit startup" yes no no
  case $f in
    Unit1*|startup.cpp|main.cpp) ;;
    *) grep -n '#include "Unit1.h"' "$f" | while IFS=: read -r n _; do
         echo "layer check: $f:$n: the main window's header from another window" >&2
       done
       grep -q '#include "Unit1.h"' "$f" && status=1 ;;
  esac
done
exit $status
