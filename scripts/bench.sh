#!/usr/bin/env bash
# Runs every benchmark: each bench/NAME/run.sh, given the build's bin folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$PWD/build/bin"
mkdir -p bench/out
for run in bench/*/run.sh; do
  [ -f "$run" ] || continue
  echo "=== $(dirname "$run")"
  bash "$run" "$bin" "$PWD/bench/out"
done
