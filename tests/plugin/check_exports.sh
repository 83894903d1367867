#!/bin/sh
# A plug-in library exports exactly VSTPluginMain and main, at one address,
# and needs nothing beyond the C library and libm.
set -eu
lib="$1"
symbols=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$symbols" != "VSTPluginMain main " ]; then
  echo "exports of $lib: $symbols" >&2
  exit 1
fi
addresses=$(nm -D --defined-only "$lib" | awk '{print $1}' | sort -u | wc -l)
if [ "$addresses" -ne 1 ]; then
  echo "VSTPluginMain and main differ in $lib" >&2
  exit 1
fi
if ldd "$lib" | grep -E 'libstdc\+\+|libgcc_s|not found'; then
  echo "$lib needs a library hosts may lack" >&2
  exit 1
fi
echo "ok: $lib"
