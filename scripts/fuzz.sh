#!/usr/bin/env bash
# fuzz.sh -- builds the frame fuzz target with clang's libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, and fuzzes for SECONDS (default 300) starting
# from the committed corpus. New inputs go to build/fuzz-corpus; merge the
# interesting ones by hand (keep the committed corpus small).
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
command -v clang++ >/dev/null || { echo "fuzz.sh: needs clang++ (Debian: clang, libclang-rt-dev)" >&2; exit 1; }
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_FUZZ=ON -DTARNWICK_BUILD_TESTS=OFF \
  -DTARNWICK_BUILD_BENCH=OFF -DTARNWICK_SANITIZED=OFF >/dev/null
cmake --build build/fuzz --target frame_fuzz -j2
mkdir -p build/fuzz-corpus
./build/fuzz/frame_fuzz -max_total_time="$seconds" -max_len=2048 -len_control=0 -print_final_stats=1 \
  build/fuzz-corpus tests/fuzz/corpus
