#!/usr/bin/env bash
# web.sh -- installs what is missing, builds the web page in build-web/ (the
# page, its JavaScript loader and the WebAssembly module), and serves it on
# 127.0.0.1 at a port the system picks, printing the URL. Without a display it
# plays a short tour of the page in headless Chromium instead and saves
# pictures of it (TARNWICK_DEMO_DIR, default build-web/demo). Building and
# serving the page need Emscripten, CMake and Node.js only; the tour installs
# Chromium and the browser drivers too.
# Usage: scripts/web.sh [--build-only]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${BUILD_WEB:-build-web}")

bash scripts/deps.sh web
echo "Building the web page in $out"
# Debian's Node.js looks for Emscripten's JavaScript modules (acorn) here.
export NODE_PATH=/usr/share/nodejs
mkdir -p "$out"
emcmake cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release >"$out/configure.log" 2>&1 || { cat "$out/configure.log"; exit 1; }
cmake --build "$out" -j"$(nproc)"
[ "${1:-}" = --build-only ] && exit 0

if [ -n "${DISPLAY:-}" ]; then
  exec node tools/web/serve.mjs "$out"
fi
echo "No display found: playing a short tour of the page in headless Chromium instead."
bash scripts/deps.sh browsers
node tools/web/demo.mjs "$out" "${TARNWICK_DEMO_DIR:-$out/demo}"
