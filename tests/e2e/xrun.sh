#!/usr/bin/env bash
# Runs one end-to-end script against a fresh Xvfb of its own.
# usage: xrun.sh SCRIPT BINDIR
set -euo pipefail
script=$1
export ZARVO_BIN=$2
export E2E_LIB="$(cd "$(dirname "$0")" && pwd)/lib.sh"
# -noreset keeps the keyboard map when the last client disconnects.
exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$script"
