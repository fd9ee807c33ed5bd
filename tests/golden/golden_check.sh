#!/bin/bash
# golden_check.sh unchanged SOURCE-DIR: every golden scene as its digest in
#   SHA256SUMS says, every scene listed, and (in a git checkout) no listed
#   scene or digest ever changed since it was committed.
# golden_check.sh check VIEWER: VIEWER --check plays every golden scene to
#   "N checks matched", status 0.
set -u
mode=$1
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if [ "$mode" = unchanged ]; then
  source=$2
  (cd "$here" && sha256sum --quiet -c SHA256SUMS) || fail "a golden scene's bytes differ from SHA256SUMS"
  for scene in "$here"/*.scene; do
    grep -q "  $(basename "$scene")\$" "$here/SHA256SUMS" || fail "$(basename "$scene") is not in SHA256SUMS"
  done
  if git -C "$source" rev-parse --git-dir >/dev/null 2>&1; then
    # Every digest line ever committed is still there, as it was.
    changed=$(for rev in $(git -C "$source" log --format=%H -- tests/golden/SHA256SUMS); do
                git -C "$source" show "$rev:tests/golden/SHA256SUMS"
              done | sort -u | grep -vxF -f "$here/SHA256SUMS")
    [ -n "$changed" ] && fail "committed digests changed or went: $changed"
  fi
elif [ "$mode" = check ]; then
  viewer=$2
  while read -r _ name; do
    said=$("$viewer" --check "$here/$name")
    status=$?
    echo "$said"
    [ $status -eq 0 ] && [[ "$said" =~ :\ [1-9][0-9]*\ checks\ matched$ ]] || fail "$name: status $status"
  done < "$here/SHA256SUMS"
else
  echo "usage: golden_check.sh unchanged SOURCE-DIR | check VIEWER" >&2
  exit 2
fi
[ $failures -eq 0 ] && echo "golden scenes: passed"
exit $((failures > 0))
