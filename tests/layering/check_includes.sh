#!/bin/sh
# Dependencies point down: each folder may include only the folders listed
# for it below, besides its own (the plug-in formats' folders, vst/, lv2/,
# clap/ and vst3/, and the standalone program's, standalone/, sit above the
# core, the panel and the toolkit; each format's declarations of its
# interface, in its interface/ folder, include nothing of ours; the host sees
# only those declarations; the command-line library, cli/, includes nothing
# of ours, so the programs above may read their command lines with it). A
# file follows the rule of
# the longest folder that holds it; tests and benchmarks, without a rule, may include
# anything. Only quoted includes with a folder count ("gui/cframe.h"); a
# path that climbs with ".." is refused outright.
#   check_includes.sh [SOURCE-ROOT]
set -eu
root=${1:-.}
cd "$root"

rules='engine:
platform:
core: engine platform
cli:
gui: platform
editor: core gui platform
vst: core editor gui platform
vst/interface:
lv2: core platform
lv2/ui: core editor gui platform lv2
clap: core editor gui platform
clap/interface:
vst3: core editor gui platform
vst3/interface:
standalone: cli core editor gui platform
host: cli vst/interface clap/interface vst3/interface
editor/artwork: cli core editor gui platform
doc/manual: cli core editor engine gui platform'

# Sets `folder` and `allowed` to the rule for path $1; folder empty if none.
rule_for() {
  folder=
  allowed=
  while IFS=: read -r name deps; do
    case "$1" in
      "$name"/*)
        if [ ${#name} -gt ${#folder} ]; then
          folder=$name
          allowed=$deps
        fi
        ;;
    esac
  done <<RULES
$rules
RULES
}

failed=0
files=$(find . \( -name 'build*' -o -name '.git' \) -prune -o -type f \
  \( -name '*.h' -o -name '*.cpp' -o -name '*.c' -o -name '*.in' \) -print | sed 's|^\./||' |
  LC_ALL=C sort)
for file in $files; do
  rule_for "$file"
  [ -n "$folder" ] || continue
  includes=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
  for path in $includes; do
    case "$path" in
      */*) ;;
      *) continue ;;  # beside the file, or generated into the build
    esac
    case "$path" in
      *..*)
        echo "$file: includes $path, a path that climbs out of its folder" >&2
        failed=1
        continue
        ;;
      "$folder"/*) continue ;;
    esac
    top=${path%%/*}
    [ -d "$top" ] || continue  # not one of our folders (a library's own header)
    ok=0
    for dep in $allowed; do
      case "$path" in "$dep"/*) ok=1 ;; esac
    done
    if [ $ok = 0 ]; then
      echo "$file: includes $path, but $folder/ may include only: ${allowed:-nothing of ours}" >&2
      failed=1
    fi
  done
done
[ $failed = 0 ] && echo "include layering: ok"
exit $failed
