#!/bin/sh
# quillet-host snapshot of the VST3 bundle (its view attached with a run loop)
# and of QTAPG_x64's editor, with the same values: the same picture; and at
# the host's factor 2 (for the VST3 view, the host's content scale factor).
#   snapshot_equality.sh QUILLET-HOST QTAPG_x64.so BUNDLE.vst3 RUN-WITH-XVFB
set -eu
host=$1
vst2=$2
vst3=$3
xvfb=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

same() {  # NAME OPTIONS...: both pictures, compared
  name=$1
  shift
  sh "$xvfb" "$host" snapshot "$vst2" -o "$work/vst2.png" "$@"
  sh "$xvfb" "$host" snapshot "$vst3" -o "$work/vst3.png" "$@"
  python3 - "$work/vst2.png" "$work/vst3.png" "$name" <<'PY'
import sys, zlib, struct

def pixels(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    return width, height, zlib.decompress(idat)

a, b = pixels(sys.argv[1]), pixels(sys.argv[2])
if a != b:
    sys.exit("%s: the VST3 view's picture differs from the VST 2.4 editor's (%dx%d, %dx%d)"
             % (sys.argv[3], a[0], a[1], b[0], b[1]))
print("%s: same picture, %dx%d" % (sys.argv[3], a[0], a[1]))
PY
}

same "values set" --set Delay=0.5 --set Repeat=0.7 --set Range=1 --set Mute=1 --set Pan=0.9 \
  --set PingPong=0.5
same "host factor 2" --host-scale 2
