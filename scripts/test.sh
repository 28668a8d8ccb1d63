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

# GoogleTest shuffles with one seed per run; QX_TEST_SEED=<seed> repeats a run.
seed="${QX_TEST_SEED:-$((RANDOM % 99999 + 1))}"
echo "test order seed: $seed (QX_TEST_SEED=$seed scripts/test.sh ${1:-} repeats it)"
export GTEST_SHUFFLE=1 GTEST_RANDOM_SEED="$seed"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"

# CTest runs each case in a process of its own, where no case can disturb
# another; each test program also runs whole, in shuffled order, so that a
# case relying on another's leftovers fails here.
export QX_TEST_TMP="$PWD/$dir/test-tmp"
mkdir -p "$QX_TEST_TMP"
failed=0
for program in "$dir"/tests/qx_test_*; do
  [ -x "$program" ] && [ -f "$program" ] || continue
  case "$program" in *c_api) continue ;; esac
  if ! "$program" --gtest_brief=1 >"$dir/shuffled.log" 2>&1; then
    cat "$dir/shuffled.log"
    echo "FAILED in shuffled order: $program (seed $seed)"
    failed=1
  fi
done
exit "$failed"
