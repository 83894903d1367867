#!/usr/bin/env bash
# Every C and C++ file of the tree laid out as .clang-format says: clang-format
# in dry-run mode, any difference fails. Files laid out by hand keep
# "// clang-format off" regions, with the reason in a comment above.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c' '*.cc')
else
  mapfile -t files < <(find . \( -name 'build*' -o -name .git \) -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.cc' \) -print)
fi
clang-format --dry-run --Werror "${files[@]}"
echo "clang-format: ${#files[@]} files as .clang-format lays them out"
