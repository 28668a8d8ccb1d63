#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Sourced by demo.sh and test.sh; asks apt only when something is absent.
set -euo pipefail

qx_need_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

QX_BUILD_PACKAGES=(g++ cmake ninja-build)
QX_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev libeigen3-dev python3-dbfread
                  libdbd-xbase-perl clang libclang-rt-14-dev binutils)
# pkg-config for the packaging test, groff for the manual page check.
QX_TEST_PACKAGES+=(pkgconf groff-base)
