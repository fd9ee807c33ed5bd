#!/usr/bin/env bash
# package.sh -- builds the Debian package with debhelper from a copy of the
# source tree in build-deb/ (BUILD_DEB names another folder), so that the tree
# itself stays clean; installs what the build needs when it is missing. The
# package's version and changelog date come from CMakeLists.txt. Prints the
# package's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh package

version=$(sed -nE 's/^project\(tarnwick VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
release_date=$(sed -nE 's/^set\(TARNWICK_RELEASE_DATE ([0-9-]+)\)/\1/p' CMakeLists.txt)
[ -n "$version" ] && [ -n "$release_date" ] || { echo "package.sh: no version or date in CMakeLists.txt" >&2; exit 1; }
maintainer=$(sed -n 's/^Maintainer: //p' debian/control)
out=$(realpath -m "${BUILD_DEB:-build-deb}")
stage=$out/tarnwick-$version

echo "Building the Debian package of tarnwick $version in $out"
rm -rf "$out"
mkdir -p "$stage"
# The tree as it is, committed or not, without git's store and build folders.
tar --exclude=./.git --exclude='./build*' --exclude='./obj-*' --exclude=node_modules -cf - . | tar -xf - -C "$stage"
cat >"$stage/debian/changelog" <<CHANGELOG
tarnwick ($version) unstable; urgency=medium

  * Release $version.

 -- $maintainer  $(date -R -u -d "$release_date")
CHANGELOG

if ! (cd "$stage" && dpkg-buildpackage -b -us -uc) >"$out/build.log" 2>&1; then
  tail -n 40 "$out/build.log"
  echo "package.sh: the package build failed; the whole log is $out/build.log" >&2
  exit 1
fi
echo "$out/tarnwick_${version}_$(dpkg --print-architecture).deb"
