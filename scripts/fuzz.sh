#!/usr/bin/env bash
# fuzz.sh -- builds a fuzz target with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes it for SECONDS (default 300) starting
# from its committed corpus: frame (the program's operations and heights,
# tests/fuzz/corpus) or scene (the scene reader, tests/fuzz/scene-corpus).
# New inputs go to build/fuzz-corpus[-scene]; merge the interesting ones by
# hand (keep the committed corpora small).
# Usage: scripts/fuzz.sh [frame|scene] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
target=frame
if [[ "${1:-}" == frame || "${1:-}" == scene ]]; then target=$1; shift; fi
seconds=${1:-300}
command -v clang++ >/dev/null || { echo "fuzz.sh: needs clang++ (Debian: clang, libclang-rt-dev)" >&2; exit 1; }
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_FUZZ=ON -DTARNWICK_BUILD_TESTS=OFF \
  -DTARNWICK_BUILD_BENCH=OFF -DTARNWICK_SANITIZED=OFF >/dev/null
cmake --build build/fuzz --target "${target}_fuzz" -j2
if [ "$target" = frame ]; then
  mkdir -p build/fuzz-corpus
  ./build/fuzz/frame_fuzz -max_total_time="$seconds" -max_len=2048 -len_control=0 -print_final_stats=1 \
    build/fuzz-corpus tests/fuzz/corpus
else
  mkdir -p build/fuzz-corpus-scene
  ./build/fuzz/scene_fuzz -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -dict=tests/fuzz/scene.dict build/fuzz-corpus-scene tests/fuzz/scene-corpus
fi
