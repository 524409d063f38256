#!/usr/bin/env bash
# Measures what crafted keys cost beside as many random keys of their length, by hand (never in
# CI): builds the benchmarks in Release, runs the Ratio rows of bench_hash_collisions a few
# times pinned to one core, and prints for each case, key family, key length and count the
# ratio crafted/random of every run, then the least and the greatest over all of them.
#   scripts/measure_hash_ratios.sh [runs (3)] [core (6)] [filter (Ratio)]
# VN_BENCH_ARGS adds options to each run, e.g. VN_BENCH_ARGS=--benchmark_min_time=2.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
core=${2:-6}
filter=${3:-Ratio}
build="$root/build/bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVN_BUILD_BENCH=ON -DVN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j3 --target bench_hash_collisions >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for ((run = 1; run <= runs; ++run)); do
  # shellcheck disable=SC2086  # extra options, split on blanks
  taskset -c "$core" "$build/bench_hash_collisions" --benchmark_filter="$filter" ${VN_BENCH_ARGS:-} >>"$out" 2>/dev/null
done
# Each row: Ratio/<case>/<family>/<key bytes>/<count> ... ratio=<r>
awk '
  $1 ~ /^Ratio\// {
    split($1, part, "/")
    key = sprintf("%-10s %-13s %5s %7s", part[2], part[3], part[4], part[5])
    for (i = 2; i <= NF; ++i)
      if ($i ~ /^ratio=/) { r = substr($i, 7) + 0 }
    if (!(key in lo)) { order[++n] = key; lo[key] = r; hi[key] = r; all[key] = "" }
    if (r < lo[key]) lo[key] = r
    if (r > hi[key]) hi[key] = r
    all[key] = all[key] sprintf(" %.2f", r)
    if (r > top) top = r
    if (bottom == "" || r < bottom) bottom = r
  }
  END {
    printf("%-10s %-13s %5s %7s  %-11s runs\n", "case", "keys", "bytes", "count", "min-max")
    for (i = 1; i <= n; ++i)
      printf("%s  %.2f-%.2f  %s\n", order[i], lo[order[i]], hi[order[i]], all[order[i]])
    printf("all rows: %.2f to %.2f times\n", bottom, top)
  }' "$out"
