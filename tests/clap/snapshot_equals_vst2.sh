#!/bin/sh
# quillet-host snapshot of the CLAP edition's panel (through its gui extension)
# and of the VST 2.4 edition's editor, with the same values set: the two
# pictures are the same file, pixel for pixel; and again at the host's factor 2.
#   snapshot_equals_vst2.sh VST2_HOST MODULE.clap QTAPG_x64.so DIR
set -eu
host=$1
clap=$2
vst2=$3
dir=$4
mkdir -p "$dir"
settings="--set Delay=0.62 --set Mute=1 --set PingPong=0.9 --set Range=0 --set Pan=0.2"
# shellcheck disable=SC2086
"$host" snapshot "$clap" -o "$dir/clap.png" $settings
# shellcheck disable=SC2086
"$host" snapshot "$vst2" -o "$dir/vst2.png" $settings
cmp "$dir/clap.png" "$dir/vst2.png"
echo "the same picture"
# At the host's factor 2 (CLAP's gui.set_scale): the VST 2.4 editor's picture
# at the same factor.
"$host" snapshot "$clap" -o "$dir/clap-200.png" --host-scale 2
"$host" snapshot "$vst2" -o "$dir/vst2-200.png" --host-scale 2
cmp "$dir/clap-200.png" "$dir/vst2-200.png"
echo "the same picture at the host's factor 2"
