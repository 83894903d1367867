#!/bin/sh
# An LV2 library runs the core directly: none of the VST 2.4 adapter's
# classes (AudioEffect, AudioEffectX, BrindleFX, Quillet) is linked into it.
set -eu
lib="$1"
symbols=$(nm -C "$lib")
# Without a symbol table the check below would prove nothing.
echo "$symbols" | grep -q 'lv2_descriptor' || { echo "$lib: no symbol table" >&2; exit 1; }
if echo "$symbols" | grep -E 'AudioEffectX?::|BrindleFX|Quillet::|AEffect\b'; then
  echo "$lib carries the VST 2.4 adapter" >&2
  exit 1
fi
echo "ok: $lib"
