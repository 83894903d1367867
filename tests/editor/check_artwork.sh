#!/bin/sh
# The editor build carries the fifteen PNG pictures; the plain build none.
# Usage: check_artwork.sh QTAPG_x64.so QTAP_x64.so
set -eu
count() { LC_ALL=C grep -a -o 'IHDR' "$1" | wc -l; }
with=$(count "$1")
without=$(count "$2")
echo "PNG headers: $with in $1, $without in $2"
[ "$with" -ge 15 ] && [ "$without" -eq 0 ]
