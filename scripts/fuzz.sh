#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each one.
# FUZZ_SECONDS per target (default 60); FUZZ_ONLY=name runs one target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVO_FUZZ=ON -DZARVO_SANITIZE=address \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
targets=$(cd fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//')
for t in $targets; do
  [ -n "${FUZZ_ONLY:-}" ] && [ "$t" != "$FUZZ_ONLY" ] && continue
  cmake --build build-fuzz --target "$t" -j"$(nproc)"
  mkdir -p "build-fuzz/corpus/$t"
  seeds=()
  [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
  echo "== $t for ${seconds}s"
  (cd build-fuzz && "./bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      "corpus/$t" "${seeds[@]/#/../}" 2>&1 | tail -n 5)
done
