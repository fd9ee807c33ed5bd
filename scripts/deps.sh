#!/usr/bin/env bash
# deps.sh -- installs the Debian packages that a task needs, when missing, and
# for test and web the npm packages of tools/web (the browser driver).
# Usage: scripts/deps.sh run|test|bench|demo|package|web ...   (idempotent; apt-get only when something is missing)
set -euo pipefail

build=(g++ cmake make freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri)
declare -A extra=(
  [run]=""
  [test]="libgtest-dev xvfb xauth libx11-dev libxtst-dev libpng-dev valgrind imagemagick libbenchmark-dev
          debhelper dpkg-dev lintian desktop-file-utils appstream man-db openbox wmctrl
          clang clang-format clang-tidy python3 emscripten nodejs chromium firefox-esr
          libwebkit2gtk-4.1-0 webkit2gtk-driver xdotool ffmpeg"
  [bench]="libbenchmark-dev xvfb libx11-dev libxtst-dev libpng-dev"
  [demo]="xvfb xauth libx11-dev libxtst-dev libpng-dev imagemagick"
  [package]="debhelper dpkg-dev"
  [web]="emscripten nodejs chromium"
)

wanted=("${build[@]}")
for task in "$@"; do
  [[ -v "extra[$task]" ]] || { echo "deps.sh: unknown task '$task' (run, test, bench, demo, package or web)" >&2; exit 2; }
  read -r -d '' -a more <<<"${extra[$task]}" || true # the list may span lines
  wanted+=("${more[@]+"${more[@]}"}")
done

# The browser drivers of the web page's tools and tests, from the npm registry
# (playwright-core drives Debian's Chromium and Firefox, selenium-webdriver
# WebKitGTK's MiniBrowser; neither downloads a browser).
web_tools=$(dirname "$0")/../tools/web
install_browser_driver() {
  [[ " $* " == *" test "* || " $* " == *" web "* ]] || return 0
  [ -d "$web_tools/node_modules/playwright-core" ] && [ -d "$web_tools/node_modules/selenium-webdriver" ] && return 0
  echo "Installing the npm packages of tools/web"
  npm ci --prefix "$web_tools" --no-audit --no-fund >/dev/null
}

# npm comes with some Node.js packages and is a package of its own in Debian.
if [[ " $* " == *" test "* || " $* " == *" web "* ]] && ! command -v npm >/dev/null; then
  wanted+=(npm)
fi

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  install_browser_driver "$@"
  exit 0
fi

echo "Installing missing Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt=(apt-get)
elif command -v sudo >/dev/null 2>&1; then
  apt=(sudo apt-get)
else
  echo "deps.sh: not root and no sudo; install these packages first: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
install_browser_driver "$@"
