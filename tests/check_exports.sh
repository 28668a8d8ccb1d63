#!/usr/bin/env bash
# Fails when the library exports a name that is not in the exports list, and
# reports how many listed names the library does not export yet.
set -euo pipefail
lib=$1
list=$2
exported=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort -u)
extra=$(comm -23 <(echo "$exported") <(sort -u "$list"))
missing=$(comm -13 <(echo "$exported") <(sort -u "$list") | wc -l)
total=$(sort -u "$list" | wc -l)
echo "exports: $(( total - missing )) of $total listed names exported, $missing still missing"
if [ -n "$extra" ]; then
  echo "exported but not listed:"
  echo "$extra"
  exit 1
fi
