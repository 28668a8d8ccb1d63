#!/usr/bin/env bash
# Builds the library and the qx program, then runs `qx demo`.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
qx_need_packages "${QX_BUILD_PACKAGES[@]}"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target qx
./build/release/qx demo
