#!/usr/bin/env bash
# The code keeps the project's style: CASE format runs clang-format over every
# C++ file, CASE tidy runs clang-tidy over every source the build compiles
# (each once, from the build's compile_commands.json). A missing tool skips
# the check (exit 77) and says so.
# Usage: style_test.sh format|tidy SOURCE-DIR BUILD-DIR
set -euo pipefail
case_name=$1
source_dir=$(realpath "$2")
build_dir=$(realpath "$3")
need() {
  command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed (scripts/deps.sh test installs it)"; exit 77; }
}
cd "$source_dir"

case $case_name in
  format)
    need clang-format
    { git ls-files '*.cpp' '*.h' 2>/dev/null || find app water optics frame tools tests bench -name '*.cpp' -o -name '*.h'; } |
      xargs clang-format --dry-run --Werror
    echo "format: every C++ file as .clang-format says"
    ;;
  tidy)
    need clang-tidy
    # The build compiles some sources for several variants; one command each is enough.
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    python3 - "$build_dir/compile_commands.json" "$work/compile_commands.json" <<'PYTHON'
import json, sys
unique = {}
for entry in json.load(open(sys.argv[1])):
    unique.setdefault(entry["file"], entry)
json.dump(list(unique.values()), open(sys.argv[2], "w"))
print("\n".join(unique), file=open(sys.argv[2] + ".files", "w"))
PYTHON
    # At a lower priority: the tests beside it that wait on a browser or a
    # window get the processor when they need it.
    nice -n 10 xargs -P"$(nproc)" -n2 clang-tidy -p "$work" --quiet <"$work/compile_commands.json.files" 2>/dev/null
    echo "tidy: $(wc -l <"$work/compile_commands.json.files") sources clean"
    ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac
