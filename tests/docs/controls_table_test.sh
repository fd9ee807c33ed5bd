#!/usr/bin/env bash
# One set of controls everywhere: the keys the keyboard handler answers, the
# keys and buttons that `tarnwick --help` lists (the program's own table),
# the README's controls table and the man page's KEYS AND MOUSE section.
# Arguments: the source folder and the build folder.
set -euo pipefail
source_dir=$1
build_dir=$2

# Each lister prints one key a line; Esc stands for the escape key.
handled_keys() {
  grep -oP "case '\K(\\\\.|[^'])(?=':)" "$source_dir/app/keyboard.cpp" | sed "s/^\\\\'$/'/"
  grep -q "case escapeKey:" "$source_dir/app/keyboard.cpp" && echo Esc
}
help_keys() { # the rows between the keys' heading and "Mouse:", keys before two spaces
  "$build_dir/tarnwick" --help | awk '/^Keys/ { on = 1; next } /^Mouse:/ { on = 0 } on && /^  [^ ]/' |
    sed -E 's/^  (([^ ]+ )*[^ ]+)  .*/\1/' | tr ' ' '\n'
}
readme_table() { # the first table under "## Controls"
  awk '/^## Controls/ { on = 1; next } on && /^\|/ { row = 1; print; next } row { exit }' "$source_dir/README.md"
}
readme_keys() { readme_table | cut -d'|' -f2 | grep -oE '`[^`]+`' | tr -d '`'; }
man_keys() { # the bold keys of the tags in KEYS AND MOUSE
  awk '/^\.SH "?KEYS AND MOUSE/ { on = 1; next } on && /^\.SH/ { exit } on && prev == ".TP" { print } { prev = $0 }' \
    "$source_dir/data/tarnwick.6.in" | grep -v ' button' | sed 's/\\-/-/g; s/\\(aq/'"'"'/g' | grep -oP '\\fB\K[^\\]+(?=\\fR)'
}
help_buttons() { "$build_dir/tarnwick" --help | awk '/^Mouse:/ { on = 1; next } on && /^$/ { exit } on' | grep -oE 'left|middle|right'; }
readme_buttons() { readme_table | grep -oE '^\| (left|middle|right) button' | grep -oE 'left|middle|right'; }
man_buttons() { grep -oP '^\\fB\K(left|middle|right)(?= button\\fR)' "$source_dir/data/tarnwick.6.in"; }

failures=0
compare() { # label, reference lister, other lister
  local difference
  difference=$(diff <($2 | LC_ALL=C sort -u) <($3 | LC_ALL=C sort -u)) || {
    echo "FAIL: $1 (< only in $2, > only in $3):"
    echo "$difference"
    failures=$((failures + 1))
  }
}
[ "$(help_keys | wc -l)" -ge 30 ] || { echo "FAIL: found only $(help_keys | wc -l) keys in --help"; exit 1; }
compare "keys handled and keys listed by --help" help_keys handled_keys
compare "the README's keys" help_keys readme_keys
compare "the man page's keys" help_keys man_keys
compare "the README's buttons" help_buttons readme_buttons
compare "the man page's buttons" help_buttons man_buttons
[ "$(help_buttons | wc -l)" -eq 3 ] || { echo "FAIL: --help lists $(help_buttons | wc -l) buttons"; exit 1; }
[ "$failures" -eq 0 ] || exit 1
echo "controls: the handler, --help, the README and the man page list the same $(help_keys | wc -l) keys and 3 buttons"
