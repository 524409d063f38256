#!/usr/bin/env bash
# Measures what crafted keys cost beside as many random keys of their length, by hand (never in
# CI): builds the benchmarks in Release, runs the Ratio rows of bench_hash_collisions a few
# times pinned to one core, and prints for each case, key family, key length and count the least
# time of the crafted keys, of the random keys and of std::unordered_map with the random keys
# over all runs (each run takes the least of three), the ratios of those least times, and the
# ratio crafted/random of every run; then the greatest ratio of least times.
#   scripts/measure_hash_ratios.sh [runs (1)] [core (6)] [filter (Ratio)]
# VN_BENCH_ARGS adds options to each run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1}
core=${2:-6}
filter=${3:-Ratio}
build="$root/build/bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVN_BUILD_BENCH=ON -DVN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j3 --target bench_hash_collisions >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for ((run = 1; run <= runs; ++run)); do
  # shellcheck disable=SC2086  # extra options, split on blanks
  taskset -c "$core" "$build/bench_hash_collisions" --benchmark_filter="$filter" \
    --benchmark_format=csv ${VN_BENCH_ARGS:-} >>"$out" 2>/dev/null
done
# CSV rows named "Ratio/<case>/<family>/<key bytes>/<count>/iterations:3", the counters in the
# columns the header names (quoted).
awk -F, '
  $1 == "name" { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); col[$i] = i } next }
  $1 ~ /^"Ratio\// {
    name = $1
    gsub(/"/, "", name)
    split(name, part, "/")
    key = sprintf("%-10s %-13s %5s %7s", part[2], part[3], part[4], part[5])
    c = $col["crafted_ms"] + 0; r = $col["random_ms"] + 0; m = $col["map_ms"] + 0
    if (!(key in crafted)) { order[++n] = key; crafted[key] = c; random[key] = r; map[key] = m }
    if (c < crafted[key]) crafted[key] = c
    if (r < random[key]) random[key] = r
    if (m < map[key]) map[key] = m
    all[key] = all[key] sprintf(" %.2f", c / r)
  }
  END {
    printf("%-10s %-13s %5s %7s %10s %9s %9s %7s %7s  runs\n", "case", "keys", "bytes", "count",
           "crafted_ms", "random_ms", "map_ms", "ratio", "/map")
    for (i = 1; i <= n; ++i) {
      k = order[i]
      q = crafted[k] / random[k]
      printf("%s %10.2f %9.2f %9.2f %7.2f %7.2f  %s\n", k, crafted[k], random[k], map[k], q,
             crafted[k] / map[k], all[k])
      if (q > top) { top = q; worst = k }
    }
    printf("greatest ratio of least times: %.2f (%s)\n", top, worst)
  }' "$out"
