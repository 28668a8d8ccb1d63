#!/usr/bin/env bash
# Builds everything and runs every test.
#   scripts/test.sh            normal build (build/test)
#   scripts/test.sh --sanitize AddressSanitizer + UndefinedBehaviorSanitizer (build/asan)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
qx_need_packages "${QX_BUILD_PACKAGES[@]}" "${QX_TEST_PACKAGES[@]}"

dir=build/test
opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQX_BUILD_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build/asan
  opts=(-DCMAKE_BUILD_TYPE=Debug -DQX_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$dir" -G Ninja "${opts[@]}" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
