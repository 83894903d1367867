#!/bin/sh
# The VST3 bundle as a host finds it: the documented layout, a module that
# exports exactly its three entry points and needs nothing beyond the C
# library and libm, and a moduleinfo.json naming the same class IDs.
set -eu
bundle="$1"
processor_cid="$2"
controller_cid="$3"
name=$(basename "$bundle" .vst3)
arch=$(uname -m)-linux
module="$bundle/Contents/$arch/$name.so"
info="$bundle/Contents/Resources/moduleinfo.json"
[ -f "$module" ] || { echo "no module at $module" >&2; exit 1; }
[ -f "$info" ] || { echo "no moduleinfo.json at $info" >&2; exit 1; }
symbols=$(nm -D --defined-only "$module" | awk '{print $3}' | LC_ALL=C sort | tr '\n' ' ')
if [ "$symbols" != "GetPluginFactory ModuleEntry ModuleExit " ]; then
  echo "exports of $module: $symbols" >&2
  exit 1
fi
if ldd "$module" | grep -E 'libstdc\+\+|libgcc_s|not found'; then
  echo "$module needs a library hosts may lack" >&2
  exit 1
fi
python3 - "$info" "$processor_cid" "$controller_cid" <<'PY'
import json, sys
info = json.load(open(sys.argv[1]))
classes = {c["Category"]: c for c in info["Classes"]}
proc = classes["Audio Module Class"]
ctrl = classes["Component Controller Class"]
assert proc["CID"] == sys.argv[2], proc["CID"]
assert ctrl["CID"] == sys.argv[3], ctrl["CID"]
assert proc["Name"] == "Quillet K3" and proc["Vendor"] == "Marrow Ledge", proc
assert proc["Sub Categories"] == ["Fx", "Delay"], proc["Sub Categories"]
assert info["Factory Info"]["Vendor"] == "Marrow Ledge"
PY
echo "ok: $bundle"
