#!/usr/bin/env bash
# The code keeps the project's style: CASE format runs clang-format over every
# C++ file, CASE tidy runs clang-tidy over every source the build compiles
# (each once, from the build's compile_commands.json; the unit tests' sources
# together). A missing tool skips
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
    { git ls-files '*.cpp' '*.h' 2>/dev/null || find app desktop web water optics frame tools tests bench -name '*.cpp' -o -name '*.h'; } |
      xargs clang-format --dry-run --Werror
    echo "format: every C++ file as .clang-format says"
    ;;
  tidy)
    need clang-tidy
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    # The build compiles some sources for several variants; one command each
    # is enough. The GoogleTest sources of one target are analysed together,
    # as one file that includes them all: GoogleTest's headers are then read
    # and matched once instead of once a file (ten seconds for the unit
    # tests instead of two and a half minutes). Faults planted to compare the
    # two were reported alike, line for line. When the joined file fails (a
    # finding, or two files defining the same name), each of its files is
    # analysed alone, and that says what is wrong.
    python3 - "$build_dir/compile_commands.json" "$work" "$source_dir" <<'PYTHON'
import json, os, re, shlex, sys
commands, work, source = sys.argv[1], sys.argv[2], sys.argv[3]
unique = {}
for entry in json.load(open(commands)):
    unique.setdefault(entry["file"], entry)

def words_of(entry):
    return entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])

def target(words, file):
    return words[words.index("-o") + 1].split(".dir/")[0] if "-o" in words else file

def flags(words, file):
    kept, skip = [], False
    for word in words:
        if skip:
            skip = False
        elif word in ("-o", "-c"):
            skip = True
        elif word != file:
            kept.append(word)
    return tuple(kept)

groups = {}
for entry in unique.values():
    file, words = entry["file"], words_of(entry)
    kept = flags(words, file)
    # GoogleTest's target adds its definitions to the sources that use it.
    if file.startswith(os.path.join(source, "tests") + os.sep) and "-DGTEST_HAS_PTHREAD=1" in kept:
        groups.setdefault((entry["directory"], kept, target(words, file)), []).append(file)
joined, database, singles = [], [], []
for (directory, words, _), files in groups.items():
    if len(files) < 2:
        continue
    name = os.path.join(work, f"joined{len(joined)}.cpp")
    with open(name, "w") as out:
        out.writelines(f'#include "{f}" // NOLINT(bugprone-suspicious-include)\n' for f in files)
    database.append({"directory": directory, "file": name, "command": shlex.join(list(words) + ["-c", name])})
    joined.append((name, files))
together = {f for _, files in joined for f in files}
for entry in unique.values():
    database.append(entry)
    if entry["file"] not in together:
        singles.append(entry["file"])
json.dump(database, open(os.path.join(work, "compile_commands.json"), "w"))
open(os.path.join(work, "singles"), "w").write("\n".join(singles) + "\n")
with open(os.path.join(work, "joined"), "w") as out:
    for name, files in joined:
        # The joined files are reported like headers: the filter takes them too.
        out.write(name + " " + "|".join(re.escape(f) + "$" for f in files) + " " + " ".join(files) + "\n")
PYTHON
    # A joined file, analysed with the configuration of its first member,
    # its members' own lines reported as a header's are.
    analyse_joined() {
      local name=$1 members=$2 config filter
      config=$work/$(basename "$name").yaml
      shift 2
      clang-tidy -p "$work" --dump-config "$1" >"$config" 2>/dev/null
      filter=$(sed -n "s/^HeaderFilterRegex: *'\(.*\)'$/\1/p" "$config")
      clang-tidy -p "$work" --quiet --config-file="$config" --header-filter="$filter|$members" "$name" \
        >"$name.out" 2>/dev/null && { cat "$name.out"; return; }
      printf '%s\n' "$@" | xargs -n1 clang-tidy -p "$work" --quiet 2>/dev/null
    }
    joined=()
    while read -r name members files; do
      # shellcheck disable=SC2086 # one member a word
      analyse_joined "$name" "$members" $files &
      joined+=($!)
    done <"$work/joined"
    status=0
    xargs -P"$(nproc)" -n2 clang-tidy -p "$work" --quiet <"$work/singles" 2>/dev/null || status=1
    for job in "${joined[@]}"; do wait "$job" || status=1; done
    [ $status = 0 ] || exit 1
    echo "tidy: $(wc -l <"$work/singles") sources alone and $(awk '{n += NF - 2} END {print n + 0}' "$work/joined") test sources together, clean"
    ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac
