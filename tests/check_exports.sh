#!/usr/bin/env bash
# Fails when the library exports a name that is neither in the exports list
# nor one of the COM start-up calls of the porting header, or when one of
# those calls is missing; reports how many listed names the library does not
# export yet.
set -euo pipefail
lib=$1
list=$2
porting_names=$'CoInitialize\nCoInitializeEx\nCoUninitialize'
exported=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort -u)
allowed=$( (cat "$list"; echo "$porting_names") | sort -u)
extra=$(comm -23 <(echo "$exported") <(echo "$allowed"))
missing=$(comm -13 <(echo "$exported") <(sort -u "$list") | wc -l)
absent_porting=$(comm -13 <(echo "$exported") <(echo "$porting_names" | sort -u))
total=$(sort -u "$list" | wc -l)
echo "exports: $(( total - missing )) of $total listed names exported, $missing still missing"
status=0
if [ -n "$extra" ]; then
  echo "exported but not listed:"
  echo "$extra"
  status=1
fi
if [ -n "$absent_porting" ]; then
  echo "porting calls not exported:"
  echo "$absent_porting"
  status=1
fi
exit $status
