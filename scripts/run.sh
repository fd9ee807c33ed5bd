#!/usr/bin/env bash
# run.sh -- installs what is missing, builds, and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
make --no-print-directory build
exec ./build/tarnwick "$@"
