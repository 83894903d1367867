#!/bin/sh
# Ardour 7's own VST3 scanner, as a black box, on the built bundle: it must
# list "Quillet K3" by "Marrow Ledge" under the processor's class ID, as an
# effect with two inputs and two outputs. Skipped (77) without Ardour.
set -eu
bundle="$1"
processor_cid="$2"
scanner=/usr/lib/ardour7/ardour-vst3-scanner
[ -x "$scanner" ] || { echo "no $scanner: skipped"; exit 77; }
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
out=$(HOME="$home" XDG_CACHE_HOME="$home/cache" LD_LIBRARY_PATH=/usr/lib/ardour7 \
  timeout 60 "$scanner" -f -v "$bundle" 2>&1) || { echo "$out"; exit 1; }
echo "$out"
echo "$out" | grep -F "uid=\"$processor_cid\" name=\"Quillet K3\" vendor=\"Marrow Ledge\" category=\"Fx|Delay\"" >/dev/null
echo "$out" | grep -F 'n_inputs="2" n_outputs="2"' >/dev/null
echo "ok: Ardour lists Quillet K3"
