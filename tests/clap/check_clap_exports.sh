#!/bin/sh
# The .clap exports exactly clap_entry, and needs nothing beyond the C
# library and libm.
set -eu
module="$1"
symbols=$(nm -D --defined-only "$module" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$symbols" != "clap_entry " ]; then
  echo "exports of $module: $symbols" >&2
  exit 1
fi
if ldd "$module" | grep -E 'libstdc\+\+|libgcc_s|not found'; then
  echo "$module needs a library hosts may lack" >&2
  exit 1
fi
echo "ok: $module"
