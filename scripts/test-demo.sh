#!/usr/bin/env bash
# The newcomer's first command, as the README prints it (the block marked
# `<!-- ci: demo -->`): on a clean clone it configures build/ for the first
# time (tests and benchmarks out) and builds the plug-in, quillet-host and the
# manual, which the build stage then reuses. It must leave the demo in
# out/demo.wav and the manual in build/manual/, as the README says.
set -euo pipefail
cd "$(dirname "$0")/.."
command=$(python3 scripts/package-checks/readme_commands.py README.md --print demo)
[ -n "$command" ] || { echo "test-demo: the README marks no demo command" >&2; exit 1; }
echo "$command"
rm -f out/demo.wav
bash -e -c "$command"
for file in out/demo.wav build/manual/index.html; do
  [ -s "$file" ] || { echo "test-demo: the demo command left no $file" >&2; exit 1; }
done
grep -qF "build/manual/index.html" README.md ||
  { echo "test-demo: the README does not say where the manual is" >&2; exit 1; }
echo "the demo in out/demo.wav, the manual in build/manual/ ($(ls build/manual | wc -l) files)"
