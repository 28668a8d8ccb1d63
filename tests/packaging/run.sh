#!/usr/bin/env bash
# Installs the built library once into a temporary prefix and builds an
# outside C program against it: find_package with the shared library,
# find_package with the static archive from a C-only project, pkg-config
# (after moving the installed tree), and add_subdirectory of the source tree.
#   run.sh BUILD_DIR SOURCE_DIR C_COMPILER CXX_COMPILER
set -euo pipefail
build=$1 source=$2 cc=$3 cxx=$4
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
expected="3 parts: bolt, flange, gasket"

fail() { echo "packaging: $*" >&2; exit 1; }
check_output() {  # name program
  local got
  got=$("$2") || fail "$1: the program failed"
  [ "$got" = "$expected" ] || fail "$1: printed '$got', expected '$expected'"
  echo "$1: ok"
}
configure() {  # dir extra-args...
  local dir=$1; shift
  cmake -S "$here/consumer" -B "$tmp/$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" "$@" >"$tmp/$dir.log" 2>&1 \
    || { cat "$tmp/$dir.log"; fail "$dir: configure failed"; }
}
build() {  # dir
  cmake --build "$tmp/$1" --target consumer >>"$tmp/$1.log" 2>&1 \
    || { cat "$tmp/$1.log"; fail "$1: build failed"; }
}

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
if [ -x "$tmp/prefix/bin/qx" ]; then
  [ -f "$tmp/prefix/share/man/man1/qx.1" ] || fail "the manual page was not installed"
  "$tmp/prefix/bin/qx" --version >/dev/null || fail "the installed qx program does not run"
fi

configure shared -DCMAKE_PREFIX_PATH="$tmp/prefix" -DQX_TARGET=qx::qx
build shared
check_output "find_package qx::qx" "$tmp/shared/consumer"
readelf -d "$tmp/shared/consumer" | grep -q 'NEEDED.*libqx_zur18iv' \
  || fail "qx::qx did not link the shared library"

configure static -DCMAKE_PREFIX_PATH="$tmp/prefix" -DQX_TARGET=qx::qx_static
build static
check_output "find_package qx::qx_static (C only)" "$tmp/static/consumer"
if readelf -d "$tmp/static/consumer" | grep -q 'NEEDED.*libqx_zur18iv'; then
  fail "qx::qx_static linked the shared library"
fi

# pkg-config finds the prefix from where qx.pc lies: move the tree first.
mv "$tmp/prefix" "$tmp/moved"
pcdir=$(dirname "$(find "$tmp/moved" -name qx.pc)")
libdir=$(PKG_CONFIG_PATH="$pcdir" pkg-config --variable=libdir qx)
(cd "$tmp" && PKG_CONFIG_PATH="$pcdir" \
  "$cc" "$here/consumer/main.c" -o pc_consumer $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs qx)) \
  || fail "pkg-config: the command line failed"
LD_LIBRARY_PATH="$libdir" check_output "pkg-config" "$tmp/pc_consumer"
(cd "$tmp" && "$cc" "$here/consumer/main.c" -o pc_static_consumer \
  $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags qx) "$libdir/libqx_zur18iv.a" \
  $(PKG_CONFIG_PATH="$pcdir" pkg-config --libs-only-other --libs-only-l --static qx | sed 's/-lqx_zur18iv//')) \
  || fail "pkg-config --static: the command line failed"
check_output "pkg-config --static" "$tmp/pc_static_consumer"

# Inside another tree only the library is built: no tests, no benchmarks.
# Only the families the program reaches (with what they use) are compiled,
# to keep this quick; a family that newly calls another must be added here.
configure subdir -DQX_SOURCE_DIR="$source" -DQX_TARGET=qx::qx_static \
  -DQX_BUILD_PROGRAM=OFF "-DQX_ONLY=containers;fs;fields"
if cmake --build "$tmp/subdir" --target help | grep -q 'qx_test_\|qx_bench_'; then
  fail "add_subdirectory: test or benchmark targets were defined"
fi
build subdir
check_output "add_subdirectory" "$tmp/subdir/consumer"
