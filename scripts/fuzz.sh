#!/usr/bin/env bash
# Runs every libFuzzer target for a fixed time.
#   scripts/fuzz.sh SECONDS     (default 30 per target)
# Builds build/fuzz with clang, then runs each fuzz/<name>.cpp as
# qx_fuzz_<name> from a corpus in build/fuzz/corpus/<name> (seeded from
# the test data where a target has seeds).  Exits non-zero on a crash.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
source scripts/deps.sh
qx_need_packages clang libclang-rt-14-dev cmake ninja-build

dir=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQX_BUILD_FUZZ=ON -DQX_BUILD_TESTS=OFF >/dev/null

targets=()
for src in fuzz/*.cpp; do
  [ -e "$src" ] || continue
  targets+=("qx_fuzz_$(basename "$src" .cpp)")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets"
  exit 0
fi
cmake --build "$dir" -j2 --target "${targets[@]}"

# Expressions of every kind for the expression target, one a file.
expression_seeds() {
  local seed_dir="$dir/seeds/expr" i=0
  mkdir -p "$seed_dir"
  for e in "NAME = 'Smith' .AND. QTY > 5" "UPPER(TRIM(NAME)) + STR(QTY,8,2) - DTOC(DUE+1)" \
           "IIF(OK, SUBSTR(NAME,2,3), LEFT(NAME,3)) \$ 'mit'" ".NOT. DELETED() .OR. RECNO() <= 2" \
           "DTOS(CTOD('02/29/24')) >= DTOS(DATE()-30)" "2^3**2/VAL('4') # YEAR(DUE) * MONTH(DUE)" \
           "t.NAME = [x] .OR. T->QTY < -1.5" "CHR(65) + DEL() + TIME() < NOTE"; do
    printf '%s' "$e" >"$seed_dir/$i"
    i=$((i + 1))
  done
  find "$seed_dir" -type f
}

# Seed inputs of a target: small files of the test data it can start from.
seeds_for() {
  case "$1" in
    qx_fuzz_dbf_*) find tests/data/reference -name '*.dbf' -size -8k 2>/dev/null || true ;;
    qx_fuzz_expr) expression_seeds ;;
    qx_fuzz_ini) find tests/data/ini -name '*.ini' 2>/dev/null || true ;;
    qx_fuzz_cdx_*) find tests/data/reference -iname '*.cdx' -size -8k 2>/dev/null || true ;;
  esac
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for target in "${targets[@]}"; do
  corpus="$dir/corpus/$target"
  mkdir -p "$corpus"
  for seed in $(seeds_for "$target"); do cp -n "$seed" "$corpus/" 2>/dev/null || true; done
  echo "fuzz: $target for ${seconds}s"
  if ! "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
       -max_len=8192 -print_final_stats=1 -artifact_prefix="$dir/$target-" "$corpus" \
       >"$dir/$target.log" 2>&1; then
    echo "fuzz: $target FAILED"
    tail -n 60 "$dir/$target.log"
    failed=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$dir/$target.log" | sed "s/^/  /" || true
  fi
done
exit $failed
