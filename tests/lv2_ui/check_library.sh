#!/bin/sh
# The UI library exports lv2ui_descriptor and nothing else, needs no C++
# run-time of the user's system, and holds none of the engine's code and no
# VST 2.4 class: the panel runs over the UI's own host.
set -eu
lib=$1
exports=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
if [ "$exports" != "lv2ui_descriptor" ]; then
  echo "unexpected exports: $exports" >&2
  exit 1
fi
if readelf -d "$lib" | grep -E 'NEEDED.*(libstdc\+\+|libgcc_s)'; then
  echo "depends on the system's C++ run-time" >&2
  exit 1
fi
if nm -C "$lib" | grep -E 'Quillet::|BrindleFX::|resizeDelayLines|processReplacingEngine'; then
  echo "engine or effect code linked in" >&2
  exit 1
fi
if nm -C "$lib" |
  grep -E '(^|[^A-Za-z_])(AudioEffectX?|BrindleFX|AEffEditor|AEffGUIEditor|QuilletGUI)([^A-Za-z_]|$)'; then
  echo "VST 2.4 classes linked in" >&2
  exit 1
fi
echo "ok: $lib"
