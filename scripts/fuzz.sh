#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS
# (default 10). Anything found is kept in build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
SECONDS_EACH=${FUZZ_SECONDS:-10}
BUILD_DIR=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEVRAKMATIK_FUZZ=ON >/dev/null
targets=(ini isvaliddate splitplate nullnum trupper loadrecord)
cmake --build "$BUILD_DIR" -j"$(nproc)" --target templates $(printf 'fuzz_%s ' "${targets[@]}")
mkdir -p "$BUILD_DIR/findings"
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in "${targets[@]}"; do
  corpus="$BUILD_DIR/corpus/$t"
  mkdir -p "$corpus"
  cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  echo "fuzz_$t: ${SECONDS_EACH}s"
  "$BUILD_DIR/fuzz/fuzz_$t" -max_total_time="$SECONDS_EACH" -artifact_prefix="$BUILD_DIR/findings/$t-" \
    -print_final_stats=0 "$corpus" 2>"$BUILD_DIR/fuzz_$t.log" || { tail -40 "$BUILD_DIR/fuzz_$t.log"; exit 1; }
done
echo "fuzzing: no crash in ${#targets[@]} targets"
