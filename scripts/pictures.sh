#!/usr/bin/env bash
# pictures.sh -- remakes the README's pictures in docs/ from the real viewer:
# the scripted demo on a private Xvfb, and the animation assembled from its frames.
set -euo pipefail
cd "$(dirname "$0")/.."
TARNWICK_DEMO_DIR=docs env -u DISPLAY bash scripts/run.sh </dev/null | tail -n +2
