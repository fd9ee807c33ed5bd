#!/usr/bin/env bash
# icons.sh -- makes the program's icon from a picture the program renders: the
# demo's --icon shot (the whole pool seen from below its floor, just after a
# splash) cropped to the pool and cut to a rounded tile at each size of the
# hicolor theme. The output is committed under data/icons/; run this again
# only to change the icon.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh demo
build=$(realpath -m "${BUILD:-build}")
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target tarnwick tarnwick_demo >/dev/null
source_picture=$(mktemp --suffix=.png)
trap 'rm -f "$source_picture"' EXIT
"$build/tools/tarnwick_demo" --icon "$build/tarnwick" "$source_picture"

app_id=io.github.tarnwick.Tarnwick
for size in 48 128 256; do
  folder=data/icons/hicolor/${size}x${size}/apps
  mkdir -p "$folder"
  radius=$((size / 8))
  # The pool fills the middle 384 pixels of the 512-pixel window.
  convert "$source_picture" -crop 384x384+64+64 +repage -filter Lanczos -resize "${size}x${size}" \
    \( -size "${size}x${size}" xc:none -fill white \
       -draw "roundrectangle 0,0,$((size - 1)),$((size - 1)),$radius,$radius" \) \
    -alpha set -compose DstIn -composite -strip "$folder/$app_id.png"
  echo "$folder/$app_id.png"
done
