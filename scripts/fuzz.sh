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
mkdir -p build/fuzz-corpus
sources=(app/camera.cpp app/scene.cpp frame/frame.cpp frame/localrotate.cpp optics/caustics.cpp
         optics/face_sweep.cpp optics/mesh.cpp optics/shading.cpp water/drops.cpp water/water.cpp water/wave.cpp)
clang++ -std=c++17 -O1 -g -ffp-contract=off -fno-math-errno -I. \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  "${sources[@]}" tests/fuzz/frame_fuzz.cpp -o build/frame_fuzz
./build/frame_fuzz -max_total_time="$seconds" -max_len=2048 -len_control=0 -print_final_stats=1 \
  build/fuzz-corpus tests/fuzz/corpus
