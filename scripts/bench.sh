#!/usr/bin/env bash
# bench.sh -- installs what is missing, builds, and runs the benchmarks: the
# frame's CPU work against the plain transcription, then whole ticks in a real
# window at the default size and at 1024x768 (tick_bench starts a private Xvfb
# when there is no display), and what a scene's checks cost (check_bench).
# Every program runs RUNS times (default 3); the summary gives
# min / median / max of the key figures over the runs.
# Usage: scripts/bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh bench
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target frame_bench tick_bench check_bench >/dev/null
runs=${1:-3}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "== $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores, $runs runs"
for run in $(seq "$runs"); do
  echo "== run $run of $runs"
  ./build/bench/frame_bench --benchmark_color=false | tee -a "$log"
  ./build/bench/check_bench --benchmark_color=false | tee -a "$log"
  for size in default 1024x768; do
    args=()
    [ "$size" = default ] || args=(--size="$size")
    ./build/bench/tick_bench "${args[@]}" --benchmark_color=false | tee -a "$log"
  done
done

# min / median / max over the runs of each figure
summarise() { # label, grep pattern, awk field holding the number
  grep -E "$2" "$log" | awk -v f="$3" '{ gsub(/[x%]$/, "", $f); print $f }' | sort -g |
    awk -v label="$1" '{ v[NR] = $1 } END { if (NR) printf "  %-44s min %8.2f   median %8.2f   max %8.2f\n", label, v[1], v[int((NR + 1) / 2)], v[NR] }'
}
echo
echo "== summary over $runs runs"
summarise "frame CPU work speed-up, busy water (x)" '^  busy water:' 9
summarise "frame CPU work speed-up, flat water (x)" '^  flat water:' 9
summarise "ticks/s at 300x300" '^300x300: [0-9]+ ticks/s' 2
summarise "CPU share of a tick at 300x300 (%)" "^300x300: CPU share" 10
summarise "ticks/s at 1024x768" '^1024x768: [0-9]+ ticks/s' 2
summarise "CPU share of a tick at 1024x768 (%)" "^1024x768: CPU share" 10
