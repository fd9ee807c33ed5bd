#!/usr/bin/env bash
# deps.sh -- installs what a task needs when it is missing: Debian's packages
# (through apt-get, as root or with sudo) and, for the tasks that drive a
# browser, the npm packages of tools/web, exactly as their lock names them.
# Usage: scripts/deps.sh TASK ...   (idempotent; apt-get only when something is missing)
#   run       build and start the viewer
#   demo      the viewer's scripted demo on a private X server (run.sh without a display, icons.sh)
#   web       build the web page (no browser, no npm)
#   browsers  drive the page in Chromium: the headless tour (web.sh without a display), the page's benchmarks
#   bench     the desktop's benchmarks
#   package   the Debian package
#   test      every test
set -euo pipefail

declare -A packages=(
  # The viewer: the compiler and CMake; GLUT and GLU's headers, which bring
  # OpenGL's; Mesa's drivers, whose llvmpipe draws without a graphics card.
  [run]="g++ cmake make freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri"
  # The X driver (tools/): a private Xvfb, Xlib and XTest for its input,
  # libpng for its pictures; ImageMagick's convert makes the animation.
  [demo]="xvfb libx11-dev libxtst-dev libpng-dev imagemagick"
  # Emscripten brings its own clang, Node.js and Python; CMake and make run it.
  [web]="emscripten cmake make"
  # Chromium, which the drivers start; Node.js runs them (npm installs them,
  # added below where Node.js came without it).
  [browsers]="chromium nodejs"
  # Google Benchmark; tick_bench's window on a private Xvfb through the X driver.
  [bench]="libbenchmark-dev xvfb libx11-dev libxtst-dev libpng-dev"
  # debhelper builds the package, dpkg-dev gives its tools, and
  # dpkg-buildpackage asks every build for build-essential.
  [package]="debhelper dpkg-dev build-essential"
  # Besides the viewer, the demo, the page, the browsers, the benchmarks and the package:
  #  libgtest-dev                    the unit and end-to-end tests (GoogleTest)
  #  clang                           the unit tests built by clang++ too
  #  clang-format clang-tidy         the style test
  #  valgrind                        the memcheck of a played scene
  #  lintian                         the package checked
  #  desktop-file-utils appstream man-db   the installed entry, metadata and man page validated
  #  openbox wmctrl                  the installed viewer closed from a window manager
  #  python3                         the docs' paths test, the style test's grouping
  #  firefox-esr                     the page in Firefox
  #  libwebkit2gtk-4.1-0 webkit2gtk-driver xdotool   the page in WebKit: its MiniBrowser, its
  #                                  WebDriver, and the pointer as real X events
  #  ffmpeg                          ffprobe reads the clip the page records
  [test]="libgtest-dev clang clang-format clang-tidy valgrind lintian desktop-file-utils appstream man-db
          openbox wmctrl python3 firefox-esr libwebkit2gtk-4.1-0 webkit2gtk-driver xdotool ffmpeg"
)
# What a task needs of the others' packages.
declare -A includes=([run]="" [demo]="run" [web]="" [browsers]="" [bench]="run" [package]="run"
                     [test]="run demo web browsers bench package")

wanted=()
drive_browsers=false
for task in "$@"; do
  [[ -v "packages[$task]" ]] || { echo "deps.sh: unknown task '$task' (run, demo, web, browsers, bench, package or test)" >&2; exit 2; }
  for part in $task ${includes[$task]}; do
    read -r -d '' -a more <<<"${packages[$part]}" || true # a list may span lines
    wanted+=("${more[@]}")
    [ "$part" = browsers ] && drive_browsers=true
  done
done
# npm is part of some builds of Node.js and a package of its own in Debian's.
if $drive_browsers && ! command -v npm >/dev/null; then
  wanted+=(npm)
fi

missing=()
for package in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
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
fi

# The browser drivers (playwright-core drives Debian's Chromium and Firefox,
# selenium-webdriver WebKitGTK's MiniBrowser, Lighthouse audits the page;
# none downloads a browser), installed again whenever the lock has changed
# since the last install.
if $drive_browsers; then
  web_tools=$(cd "$(dirname "$0")/../tools/web" && pwd)
  # (The lock's packages want Node.js 20 or later; Debian 12's own is 18.)
  node "$web_tools/../../scripts/node-wanted.mjs" "$web_tools/package.json" || exit 1
  if ! cmp -s "$web_tools/package-lock.json" "$web_tools/node_modules/.package-lock.json.installed"; then
    echo "Installing the npm packages of tools/web"
    # (From the folder, not with --prefix, which would also move npm's
    # global configuration, and so a machine's proxy or certificates, there.)
    (cd "$web_tools" && npm ci --no-audit --no-fund --loglevel=warn)
    cp "$web_tools/package-lock.json" "$web_tools/node_modules/.package-lock.json.installed"
  fi
fi
