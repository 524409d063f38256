#!/usr/bin/env bash
# Installs what is missing, builds the library in release mode and runs the example program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
vn_install_deps

build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVN_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)"
"$build/example"
