#!/bin/sh
# The LV2 DSP library exports lv2_descriptor alone and needs nothing beyond
# the C library and libm.
set -eu
lib="$1"
symbols=$(nm -D --defined-only "$lib" | awk '{print $3}' | tr '\n' ' ')
if [ "$symbols" != "lv2_descriptor " ]; then
  echo "exports of $lib: $symbols" >&2
  exit 1
fi
if ldd "$lib" | grep -E 'libstdc\+\+|libgcc_s|not found'; then
  echo "$lib needs a library hosts may lack" >&2
  exit 1
fi
echo "ok: $lib"
