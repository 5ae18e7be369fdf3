#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=build-asan bash scripts/build.sh -DEVRAKMATIK_SANITIZE=ON
export QT_QPA_PLATFORM=offscreen
# Qt and fontconfig keep caches for the life of the process: leaks are not ours to chase.
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build-asan
ctest --output-on-failure -j"$(nproc)"
