#!/usr/bin/env bash
# The README's first command on a machine without a display: it says so, runs
# the scripted demo, saves pictures that are not blank and the animation, and
# exits cleanly. Arguments: the source folder and the build folder.
set -euo pipefail
source_dir=$1
build_dir=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

output=$(cd "$source_dir" && env -u DISPLAY BUILD="$build_dir" TARNWICK_DEMO_DIR="$out" bash scripts/run.sh </dev/null)
fail() { echo "FAIL: $*"; echo "$output"; exit 1; }

[ "$(echo "$output" | head -1)" = "No display found: running the viewer on a private Xvfb with a short scripted demo instead." ] ||
  fail "the first line does not say that there is no display"
for picture in start splash burst water-level caustics-from-below wave-side; do
  [ -s "$out/$picture.png" ] || fail "no $picture.png"
  echo "$output" | grep -qx "  $out/$picture.png" || fail "$picture.png is not named in the output"
done
# Not one colour: ripples and caustics draw many shades.
for picture in splash caustics-from-below water-level; do
  colours=$(identify -format %k "$out/$picture.png")
  [ "$colours" -gt 10 ] || fail "$picture.png has only $colours colours"
done
frames=$(identify "$out/ripples.gif" | wc -l)
# Asked for its usage without a display, the viewer answers before opening a window.
usage=$(env -u DISPLAY "$build_dir/tarnwick" --help) && [[ $usage == "Usage: tarnwick "* ]] || fail "no usage from --help"
[ "$frames" -ge 40 ] || fail "the animation has $frames frames"
[ -z "$(ls "$out" | grep frame- || true)" ] || fail "frame files left behind"
echo "headless run: pictures saved, $frames animation frames"
