#!/usr/bin/env bash
# The variadic constructors carry the sentinel attribute: a C program that
# forgets the terminating null no longer compiles under -Werror, and one that
# ends its lists properly compiles without a warning.
#   sentinel_check.sh C_COMPILER INCLUDE_DIR
set -euo pipefail
cc=$1 include=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

compiles() {  # body -> 0 when the body compiles cleanly
  printf '#include <stddef.h>\n#include "qx/qx.h"\nvoid use(void) {\n%s\n}\n' "$1" >"$tmp/t.c"
  "$cc" -std=c11 -Wall -Wextra -Werror -fsyntax-only -I"$include" "$tmp/t.c" 2>"$tmp/err"
}

good='qx_Point p = {1, 2, 3}; int32_t one = 1;
  qx_StrList_destroy(qx_StrList_create(u"a", u"b", NULL));
  qx_StrList_destroy(qx_StrList_create(NULL, NULL));
  qx_LnkList_create(&p, NULL);
  qx_IntList_destroy(qx_IntList_create(&one, NULL));
  qx_PointList_create(&p, &p, NULL);
  qx_VectorList_create((const qx_Vector *)&p, NULL);
  qx_FldList_destroy(qx_FldList_create(u"N", (int)u'"'"'N'"'"', 1.5, NULL));
  qx_Msg_mlt(u"a", u"Alpha", u"K_A", 1, NULL);'
compiles "$good" || { cat "$tmp/err"; echo "properly ended lists did not compile cleanly"; exit 1; }

for bad in 'qx_StrList_create(u"a", u"b");' 'qx_Point p = {0}; qx_PointList_create(&p, &p);' \
           'int32_t one = 1; qx_IntList_create(&one, &one);' \
           'qx_FldList_create(u"N", (int)u'"'"'N'"'"', 1.5);' \
           'qx_Msg_mlt(u"a", u"Alpha", u"K_A", 1);'; do
  if compiles "$bad"; then
    echo "no warning for a list without its terminator: $bad"
    exit 1
  fi
  grep -q sentinel "$tmp/err" || { cat "$tmp/err"; echo "unexpected error for: $bad"; exit 1; }
done
echo "sentinel: ok"
