#!/usr/bin/env bash
# The house style (.clang-format) for lines written since the style was set.
#   format.sh        reformats those lines in the working tree
#   format.sh check  fails when any of them is not in the style (CI)
# FORMAT_BASE names another commit to compare with.
set -euo pipefail
cd "$(dirname "$0")/.."
base=${FORMAT_BASE:-$(git log --diff-filter=A --format=%H -1 -- .clang-format 2>/dev/null || true)}
if [ -z "$base" ]; then
  # .clang-format not yet committed: the whole change since HEAD is new.
  base=HEAD
fi
paths=(src brenvik tests bench fuzz)
if [ "${1:-}" = check ]; then
  out=$(git clang-format --diff --extensions cpp,h,c "$base" -- "${paths[@]}" 2>&1 || true)
  case $out in
    ""|*"no modified files to format"*|*"did not modify any files"*) echo "format: clean"; exit 0 ;;
  esac
  echo "$out"
  echo "format: the lines above are not in the house style; run 'make format'" >&2
  exit 1
fi
git clang-format --force --extensions cpp,h,c "$base" -- "${paths[@]}" || true
