#!/bin/sh
# vst2-host snapshot of the VST3 bundle (its view attached with a run loop)
# and of QTAPG_x64's editor, with the same values: the same picture.
#   snapshot_equality.sh VST2-HOST QTAPG_x64.so BUNDLE.vst3 RUN-WITH-XVFB
set -eu
host=$1
vst2=$2
vst3=$3
xvfb=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sets="--set Delay=0.5 --set Repeat=0.7 --set Range=1 --set Mute=1 --set Pan=0.9 --set PingPong=0.5"
# shellcheck disable=SC2086
sh "$xvfb" "$host" snapshot "$vst2" -o "$work/vst2.png" $sets
# shellcheck disable=SC2086
sh "$xvfb" "$host" snapshot "$vst3" -o "$work/vst3.png" $sets
python3 - "$work/vst2.png" "$work/vst3.png" <<'PY'
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
    sys.exit("the VST3 view's picture differs from the VST 2.4 editor's (%dx%d, %dx%d)"
             % (a[0], a[1], b[0], b[1]))
print("same picture: %dx%d" % (a[0], a[1]))
PY
