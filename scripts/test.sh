#!/usr/bin/env bash
# Builds the library and its tests with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test, then runs each fuzz target briefly over its seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/deps.sh"
vn_install_deps
jobs=$(nproc)

# The umbrella header must name every public header.
for header in $(cd "$root" && ls base/*.h expression/*.h system/*.h job/*.h farm/*.h net/*.h 2>/dev/null); do
  grep -q "#include \"$header\"" "$root/vn.h" || { echo "vn.h does not include $header"; exit 1; }
done

build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVN_SANITIZE=ON -DVN_WERROR=ON
cmake --build "$build" -j"$jobs"
(cd "$build" && ctest --output-on-failure -j"$jobs")

fuzz_build="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz_build" -DCMAKE_BUILD_TYPE=Debug \
  -DVN_BUILD_FUZZ=ON -DVN_BUILD_TESTS=OFF -DVN_BUILD_EXAMPLES=OFF -DVN_WERROR=ON
cmake --build "$fuzz_build" -j"$jobs"

seconds=${VN_FUZZ_SECONDS:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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
