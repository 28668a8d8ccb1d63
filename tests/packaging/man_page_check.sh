#!/usr/bin/env bash
# The manual page keeps up with the program: every command the program
# registers has a section of its own in docs/qx.1, every subcommand (and demo
# section) is named there, and the page formats without a warning.
#   man_page_check.sh QX_PROGRAM MAN_PAGE
set -euo pipefail
qx=$1 page=$2
status=0

commands=$("$qx" --help | awk '/^commands:/{on=1; next} on && NF {print $1}')
[ -n "$commands" ] || { echo "qx --help listed no commands"; exit 1; }
for cmd in $commands; do
  if ! grep -q "^\.SS \"qx $cmd\b" "$page"; then
    echo "docs/qx.1 has no section for 'qx $cmd'"
    status=1
  fi
  subs=$("$qx" "$cmd" --help | awk '/^subcommands/{on=1; next} on && NF {print $1}')
  for sub in $subs; do
    if ! grep -q "^\.SS \"qx $cmd $sub\b" "$page" && ! grep -qx "\.B $sub" "$page"; then
      echo "docs/qx.1 does not describe 'qx $cmd $sub'"
      status=1
    fi
  done
done

if command -v groff >/dev/null; then
  warnings=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || { echo "$warnings"; status=1; }
fi
[ $status -eq 0 ] && echo "man page: $(echo $commands | wc -w) commands described"
exit $status
