#!/usr/bin/env bash
# test.sh -- installs what is missing, builds, and runs every test (unit, also
# built by clang++, sanitized, end-to-end, soak, memcheck, fuzz corpus,
# documentation, install, format and static analysis). ctest's
# summary is the last thing it prints.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
# In CI, warnings are errors, for g++ and for clang++ alike.
[ "${CI:-}" = true ] && werror=ON || werror=OFF
make --no-print-directory build WERROR=$werror
cd build
exec ctest --output-on-failure -j2
