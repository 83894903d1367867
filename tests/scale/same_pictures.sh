#!/bin/sh
# Draws the panel's pictures at scale 1 into a scratch folder and compares
# each with the stored file, byte for byte.
# Usage: same_pictures.sh GENERATOR STORED_DIR SCRATCH_DIR
set -eu
rm -rf "$3"
mkdir -p "$3"
"$1" "$3"
status=0
for stored in "$2"/*.png; do
  cmp "$stored" "$3/$(basename "$stored")" || status=1
done
[ "$(ls "$3" | wc -l)" -eq "$(ls "$2"/*.png | wc -l)" ] || status=1
exit $status
