#!/usr/bin/env bash
# Runs the checks of .clang-tidy over the program's and the library's sources,
# using the build's compile_commands.json. Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/compile_commands.json ] || { echo "build first (make build)" >&2; exit 2; }
run-clang-tidy -quiet -j "$(nproc)" -p build "$PWD/(src|brenvik/src|brenvik/cli)/.*\.cpp$" 2>&1 \
  | grep -v "warnings generated" | tee build/lint.log
! grep -qE "(warning|error):" build/lint.log
