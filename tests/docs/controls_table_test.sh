#!/usr/bin/env bash
# Every command key of the keyboard handler appears, in backticks, in the
# README's controls table, and so do Escape and the three mouse buttons.
# Argument: the source folder.
set -euo pipefail
source_dir=$1
table=$(awk '/^## Controls/ { on = 1; next } on && /^## / { exit } on && /^\|/' "$source_dir/README.md")
[ -n "$table" ] || { echo "FAIL: no table under '## Controls' in README.md"; exit 1; }

missing=0
while IFS= read -r key; do
  [ "$key" = "\\'" ] && key="'"
  if ! grep -qF "\`$key\`" <<<"$table"; then
    echo "FAIL: key '$key' is handled in app/keyboard.cpp but not listed in the controls table"
    missing=$((missing + 1))
  fi
done < <(grep -oP "case '\K(\\\\.|[^'])(?=':)" "$source_dir/app/keyboard.cpp")
for word in Esc "left button" "middle button" "right button"; do
  grep -qi "$word" <<<"$table" || { echo "FAIL: '$word' is not in the controls table"; missing=$((missing + 1)); }
done
keys=$(grep -oP "case '(\\\\.|[^'])':" "$source_dir/app/keyboard.cpp" | wc -l)
[ "$keys" -ge 30 ] || { echo "FAIL: found only $keys keys in app/keyboard.cpp"; exit 1; }
[ "$missing" -eq 0 ] || exit 1
echo "controls table: all command keys listed"
