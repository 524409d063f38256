#!/usr/bin/env bash
# Copies the repository without tests/ (as a packager or a vendored copy has it), installs a plain
# release build of that copy into a scratch prefix and builds and runs a small program against it,
# once through pkg-config and once through find_package, and the README's first program; builds
# the library and its tests with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test; then builds the fuzz targets from the copy and
# runs each briefly over its seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
vn_install_deps
jobs=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Only the tests may use tests/: the library, the fuzz targets and the benchmarks build from a
# copy without it (and without build/ and .git). The copy keeps the files' times, so the builds
# from it stay incremental.
standalone="$root/build/standalone"
src="$standalone/src"
rm -rf "$src"
mkdir -p "$src"
tar -C "$root" --exclude=./.git --exclude=./build --exclude='./build-*' --exclude=./tests -cf - . |
  tar -C "$src" -xf -
if grep -rn --include='*.h' --include='*.cpp' '#include "tests/' "$src"; then
  echo "only the tests may include a file of tests/"
  exit 1
fi

install_build="$standalone/install"
prefix="$work/prefix"
cmake -S "$src" -B "$install_build" -DCMAKE_BUILD_TYPE=Release -DVN_WERROR=ON \
  -DVN_BUILD_TESTS=OFF -DVN_BUILD_EXAMPLES=OFF
cmake --build "$install_build" -j"$jobs"
cmake --install "$install_build" --prefix "$prefix"
# The umbrella header must name every installed header (the internal ones are not installed, and
# the programs below, which include vn.h, fail if it names one of them).
include_dir=$(dirname "$(find "$prefix" -name vn.h)")
for header in $(cd "$include_dir" && ls -- */*.h); do
  grep -q "#include \"$header\"" "$root/vn.h" || { echo "vn.h does not include $header"; exit 1; }
done
consumer="$root/examples/consumer"
pc_dir=$(dirname "$(find "$prefix" -name vn.pc)")
# shellcheck disable=SC2046  # the flags are separate words
"${CXX:-c++}" -std=c++17 "$consumer/main.cpp" -o "$work/consumer_pkgconfig" \
  $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs --static vn)
"$work/consumer_pkgconfig"
cmake -S "$consumer" -B "$work/consumer" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix"
cmake --build "$work/consumer" -j"$jobs"
"$work/consumer/consumer"
# The README's first program, built with the README's own pkg-config line, must exit 0.
awk '/^```cpp$/ { inside = 1; next } /^```$/ && inside { exit } inside' "$root/README.md" >"$work/app.cpp"
[ -s "$work/app.cpp" ] || { echo "README has no C++ block"; exit 1; }
(cd "$work" && PKG_CONFIG_PATH="$pc_dir" &&
  export PKG_CONFIG_PATH &&
  # shellcheck disable=SC2046  # the flags are separate words
  "${CXX:-c++}" -std=c++17 app.cpp $(pkg-config --cflags --libs --static vn) -o app && ./app)
echo "install: the installed library builds through pkg-config and find_package, and so does the README's program"

build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVN_SANITIZE=ON -DVN_WERROR=ON
cmake --build "$build" -j"$jobs"
(cd "$build" && ctest --output-on-failure -j"$jobs")

fuzz_build="$standalone/fuzz"
CC=clang CXX=clang++ cmake -S "$src" -B "$fuzz_build" -DCMAKE_BUILD_TYPE=Debug \
  -DVN_BUILD_FUZZ=ON -DVN_BUILD_TESTS=OFF -DVN_BUILD_EXAMPLES=OFF -DVN_WERROR=ON
cmake --build "$fuzz_build" -j"$jobs"

seconds=${VN_FUZZ_SECONDS:-10}
for src in "$root"/fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  # New inputs go to a scratch copy, so the committed seed corpus stays small.
  mkdir -p "$work/$name"
  cp -r "$root/fuzz/corpus/$name/." "$work/$name/" 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s"
  "$fuzz_build/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work/$name" 2>"$work/$name.log" || { tail -n 60 "$work/$name.log"; exit 1; }
  grep -E '^(stat::number_of_executed_units|Done)' "$work/$name.log" || true
done
echo "fuzz: all targets ran clean"
