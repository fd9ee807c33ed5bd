#!/usr/bin/env bash
# icons.sh -- makes every icon of the program, the desktop's and the web
# page's, from one picture the program renders: the demo's --icon shot (the
# middle of the pool seen from below its floor, a splash's ring of light
# spreading over the surface). A rounded tile at each size of the hicolor
# theme and at the web page's 192 and 512 pixels, and a square one for the
# page's maskable icon, which the system cuts to its own shape. The output is
# committed under data/icons/; run this again only to change the icon.
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
# A rounded tile of the picture, size pixels square.
tile() {
  local size=$1 radius=$(($1 / 8))
  convert "$source_picture" -filter Lanczos -resize "${size}x${size}" \
    \( -size "${size}x${size}" xc:none -fill white \
       -draw "roundrectangle 0,0,$((size - 1)),$((size - 1)),$radius,$radius" \) \
    -alpha set -compose DstIn -composite -strip "$2"
  echo "$2"
}
for size in 48 128 256; do
  mkdir -p "data/icons/hicolor/${size}x${size}/apps"
  tile "$size" "data/icons/hicolor/${size}x${size}/apps/$app_id.png"
done
# The web page's icons in 256 colours: a visit downloads the 192-pixel one
# while the page first paints, and the palette makes it a third of the size
# with no difference the eye sees.
in_palette() {
  convert "$1" -colors 256 "PNG8:$1"
  echo "$1"
}
mkdir -p data/icons/web
for size in 192 512; do
  in_palette "$(tile "$size" "data/icons/web/icon-$size.png")"
done
convert "$source_picture" -filter Lanczos -resize 512x512 -strip data/icons/web/icon-maskable-512.png
in_palette data/icons/web/icon-maskable-512.png
