#!/usr/bin/env bash
# The viewer as a user installs it: CASE is one of the checks below. Each
# installs the build into a temporary prefix with `cmake --install` first.
# A check whose tool is missing is skipped (exit 77) and says which tool.
# Usage: install_test.sh CASE SOURCE-DIR BUILD-DIR
set -euo pipefail
case_name=$1
source_dir=$(realpath "$2")
build_dir=$(realpath "$3")
app_id=io.github.tarnwick.Tarnwick
work=$(mktemp -d)
prefix=$work/prefix
pids=()
cleanup() {
  for pid in "${pids[@]+"${pids[@]}"}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/deps.sh test installs it)"; exit 77; }
  done
}

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

# Every file the install puts under the prefix.
expected_files() {
  cat <<FILES
bin/tarnwick
share/applications/$app_id.desktop
share/doc/tarnwick/README.md
share/doc/tarnwick/copyright
share/icons/hicolor/128x128/apps/$app_id.png
share/icons/hicolor/256x256/apps/$app_id.png
share/icons/hicolor/48x48/apps/$app_id.png
share/man/man6/tarnwick.6
share/metainfo/$app_id.metainfo.xml
FILES
}

desktop_key() { sed -n "s/^$1=//p" "$prefix/share/applications/$app_id.desktop"; }

check_validators() {
  need desktop-file-validate appstreamcli man
  local report
  report=$(desktop-file-validate "$prefix/share/applications/$app_id.desktop" 2>&1) && [ -z "$report" ] ||
    fail "desktop entry: $report"
  # --strict fails on anything but pedantic hints.
  appstreamcli validate --no-net --strict "$prefix/share/metainfo/$app_id.metainfo.xml" || fail "AppStream metadata"
  report=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/tarnwick.6" 2>&1 >/dev/null)
  [ -z "$report" ] || fail "man page warnings: $report"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "KEYS AND MOUSE" OUTPUT "EXIT STATUS" ENVIRONMENT "SEE ALSO"; do
    grep -qE "^\.SH \"?$section\"?$" "$prefix/share/man/man6/tarnwick.6" || fail "man page has no $section section"
  done
}

check_file_list() {
  diff <(expected_files) <(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) ||
    fail "the installed files differ from the expected list (< expected, > installed)"
  local program icon
  program=$(desktop_key Exec)
  [ -x "$prefix/bin/$program" ] || fail "Exec=$program is not an installed program"
  icon=$(desktop_key Icon)
  for size in 48 128 256; do
    [ "$(identify -format %wx%h "$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png")" = "${size}x$size" ] ||
      fail "Icon=$icon has no ${size}x$size picture"
  done
}

check_package() {
  need dpkg-buildpackage dh lintian
  local deb listed depends version
  deb=$(cd "$source_dir" && BUILD_DEB=$work/deb bash scripts/package.sh | tail -n 1)
  [ -f "$deb" ] || fail "scripts/package.sh made no package"
  # The package's files are the install's under /usr, with Debian's
  # compressed man page and README and the changelog beside them.
  listed=$(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { sub(/^\.\/usr\//, "", $6); print $6 }' | LC_ALL=C sort)
  diff <( (expected_files | sed -E 's#(tarnwick\.6|README\.md)$#\1.gz#'; echo share/doc/tarnwick/changelog.gz) |
    LC_ALL=C sort) <(echo "$listed") || fail "the package's files differ from the install's (< expected, > packaged)"
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in 'libgl1|libopengl0' 'libglu1' 'libglut'; do
    grep -qE "(^|, )($library)" <<<"$depends" || fail "Depends names no $library: $depends"
  done
  local tools
  tools=$(tr ',|' '\n\n' <<<"$depends" | sed -E 's/^ *([^ ]+).*/\1/' |
    grep -E -- '-dev$|^(gcc|g\+\+|cpp|clang|cmake|make|debhelper|valgrind|xvfb)(-[0-9.]+)?$|gtest|googletest|benchmark' ||
    true)
  [ -z "$tools" ] || fail "Depends names build or test tools: $tools"
  # One version: the program's, the package's, the metadata's and the man page's.
  version=$("$prefix/bin/tarnwick" --version | sed 's/^tarnwick //')
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
  grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
    fail "metadata release is not $version"
  grep -q "^\.TH TARNWICK 6 .* \"tarnwick $version\"" "$prefix/share/man/man6/tarnwick.6" ||
    fail "man page is not of version $version"
  local tags
  tags=$(lintian "$deb" 2>/dev/null | grep -E '^[EW]: ' || true)
  [ -z "$tags" ] || fail "lintian: $tags"
}

# Waits up to SECONDS for a command to succeed.
wait_until() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Seconds to wait for the launched viewer's window: TARNWICK_PATIENCE scales it
# as it scales the end-to-end tests' waits.
launch_patience=$((60 * ${TARNWICK_PATIENCE:-1}))

# Started as a desktop menu starts it: the entry's Exec from PATH, no
# terminal, stdout not read; closed from the window manager.
check_desktop_launch() {
  need Xvfb openbox wmctrl
  exec {display_fd}<> <(:)
  Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  local display
  read -r -t 15 display <&"$display_fd" || fail "Xvfb did not start"
  export DISPLAY=:$display
  openbox >/dev/null 2>&1 &
  pids+=($!)
  wait_until 15 wmctrl -m || fail "openbox did not start"

  local program viewer status windows
  program=$(desktop_key Exec)
  for attempt in 1 2 3; do
    PATH=$prefix/bin:$PATH setsid "$program" </dev/null >/dev/null 2>"$work/stderr" &
    viewer=$!
    # The wait ends when the window is listed or the viewer has ended; on a
    # machine busy with other tests a start can take many seconds, so the
    # patience is generous (a window that shows ends it at once).
    wait_until "$launch_patience" bash -c "wmctrl -l | grep -q 'Tarnwick (orthogonal)' || ! kill -0 $viewer" || true
    kill -0 "$viewer" 2>/dev/null && break
    # Xvfb now and then refuses a new connection: try again.
    grep -q "failed to open display" "$work/stderr" || break
  done
  pids+=("$viewer")
  windows=$(wmctrl -l 2>&1 || true)
  if ! grep -q 'Tarnwick (orthogonal)' <<<"$windows"; then
    kill -0 "$viewer" 2>/dev/null && status="still running" || { status=0; wait "$viewer" || status=$?; status="ended with status $status"; }
    fail "no window after ${launch_patience} s, the viewer $status; windows: [$windows]; stderr: [$(cat "$work/stderr")]"
  fi

  wmctrl -c 'Tarnwick (orthogonal)'
  wait_until "$launch_patience" bash -c "! kill -0 $viewer" || fail "closing the window did not end the viewer"
  status=0
  wait "$viewer" || status=$?
  [ "$status" -eq 0 ] || fail "exit status $status after closing the window"
  [ ! -s "$work/stderr" ] || fail "stderr: $(cat "$work/stderr")"
}

case $case_name in
  validators) check_validators ;;
  file-list) check_file_list ;;
  package) check_package ;;
  desktop-launch) check_desktop_launch ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac
echo "$case_name: passed"
