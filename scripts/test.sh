#!/usr/bin/env bash
# test.sh -- installs what is missing, builds, and runs every test (unit and end-to-end).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
make --no-print-directory test
