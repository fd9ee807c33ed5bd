#!/usr/bin/env bash
# run.sh -- installs what is missing, builds the viewer, and starts it. Without
# a display it runs the viewer on a private Xvfb with a short scripted demo and
# saves pictures of it instead (TARNWICK_DEMO_DIR, default build/demo). It
# builds only what it runs: no test and no sanitized program.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${BUILD:-build}")

# Configures (quietly: the summary only) and builds the given targets with
# CMake's own progress lines.
build_targets() {
  echo "Building $* in $build"
  mkdir -p "$build"
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
  cmake --build "$build" -j"$(nproc)" --target "$@"
}

if [ -n "${DISPLAY:-}" ]; then
  bash scripts/deps.sh run
  build_targets tarnwick
  exec "$build/tarnwick" "$@"
fi

echo "No display found: running the viewer on a private Xvfb with a short scripted demo instead."
bash scripts/deps.sh demo
build_targets tarnwick tarnwick_demo
out=${TARNWICK_DEMO_DIR:-$build/demo}
mkdir -p "$out"
rm -f "$out"/frame-*.png
echo "Running the demo"
"$build/tools/tarnwick_demo" "$build/tarnwick" "$out" >/dev/null
convert -delay 4 -loop 0 "$out"/frame-*.png -colors 64 -layers Optimize "$out/ripples.gif"
rm -f "$out"/frame-*.png
echo "Saved the demo's pictures:"
for picture in "$out"/*.png "$out/ripples.gif"; do
  echo "  $picture"
done
