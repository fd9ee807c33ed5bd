#!/usr/bin/env bash
# run.sh -- installs what is missing, builds, and starts the viewer. Without a
# display it runs the viewer on a private Xvfb with a short scripted demo and
# saves pictures of it instead (TARNWICK_DEMO_DIR, default build/demo).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${BUILD:-build}")

if [ -n "${DISPLAY:-}" ]; then
  bash scripts/deps.sh run
  make --no-print-directory BUILD="$build" build
  exec "$build/tarnwick" "$@"
fi

echo "No display found: running the viewer on a private Xvfb with a short scripted demo instead."
bash scripts/deps.sh demo
make --no-print-directory BUILD="$build" build >/dev/null
out=${TARNWICK_DEMO_DIR:-$build/demo}
mkdir -p "$out"
rm -f "$out"/frame-*.png
"$build/tests/tarnwick_demo" "$build/tarnwick" "$out" >/dev/null
convert -delay 4 -loop 0 "$out"/frame-*.png -colors 64 -layers Optimize "$out/ripples.gif"
rm -f "$out"/frame-*.png
echo "Saved the demo's pictures:"
for picture in "$out"/*.png "$out/ripples.gif"; do
  echo "  $picture"
done
