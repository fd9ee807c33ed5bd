#!/usr/bin/env bash
# test.sh -- installs what is missing, builds, and runs every test (unit, also
# built by clang++, sanitized, end-to-end, soak, memcheck, fuzz corpus,
# documentation, install, format and static analysis, the web page in
# Chromium, Firefox and WebKit, its soak and Lighthouse). ctest's summary is
# the last thing it prints.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
# In CI, warnings are errors, for g++ and for clang++ alike.
[ "${CI:-}" = true ] && werror=ON || werror=OFF
# The web page, for its tests in the browser, is built beside the program:
# each build has stretches that keep only one core busy.
web_log=$(mktemp)
bash scripts/web.sh --build-only >"$web_log" 2>&1 &
web_build=$!
trap 'kill "$web_build" 2>/dev/null || true' EXIT
make --no-print-directory build WERROR=$werror
wait "$web_build" || { cat "$web_log"; exit 1; }
rm -f "$web_log"
cd build
# Three at a time on two cores: most of the browser cases' time is waiting on
# the page (its pace, its wave, a clip's seconds), not computing.
exec ctest --output-on-failure -j3
