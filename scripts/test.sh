#!/usr/bin/env bash
# test.sh -- installs what is missing, builds, and runs every test (unit,
# sanitized, end-to-end, soak, memcheck, fuzz corpus, documentation). ctest's
# summary is the last thing it prints.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
make --no-print-directory build
cd build
exec ctest --output-on-failure -j2
