#!/usr/bin/env bash
# test.sh -- installs what is missing, builds, and runs every test (unit, also
# built by clang++, sanitized, end-to-end, soak, memcheck, fuzz corpus,
# documentation, install, format and static analysis, the web page in
# Chromium, Firefox and WebKit, its soak and Lighthouse). ctest's summary is the last thing it prints.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
# In CI, warnings are errors, for g++ and for clang++ alike.
[ "${CI:-}" = true ] && werror=ON || werror=OFF
make --no-print-directory build WERROR=$werror
# The web page, for its tests in the browser.
bash scripts/web.sh --build-only >build/web.log 2>&1 || { cat build/web.log; exit 1; }
cd build
exec ctest --output-on-failure -j2
