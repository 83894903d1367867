#!/bin/sh
# Every edition sounds the same: quillet-host renders the built-in demo through
# the VST 2.4 library and through the VST3 bundle, and the two files must
# agree sample for sample, in 32 and 64 bits, at several block sizes, with
# automation (the clock fixed, since a stretch of the lines draws its noise
# from it), and with the state of .fxp and .fxb presets the VST 2.4 library
# saved, which the VST3 edition takes as hosts hand over a VST 2 project.
#   render_equality.sh QUILLET-HOST QTAP_x64.so QTAPG_x64.so BUNDLE.vst3 COMPARE-WAV.py
set -eu
host=$1
vst2=$2
vst2editor=$3
vst3=$4
compare=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

same() {  # NAME OPTIONS...: one render through each edition, compared
  name=$1
  shift
  "$host" render "$vst2" -o "$work/vst2.wav" --format float --tail 1 "$@" >/dev/null
  "$host" render "$vst3" -o "$work/vst3.wav" --format float --tail 1 "$@" >/dev/null
  python3 "$compare" "$work/vst2.wav" "$work/vst3.wav" 0 >"$work/cmp" ||
    { echo "$name: the VST3 render differs: $(cat "$work/cmp")"; exit 1; }
  echo "$name: $(cat "$work/cmp")"
}

settings="--set Delay=0.3 --set Repeat=0.6 --set Level=0.7 --set Range=1 --set PingPong=0.5
  --set X-Feed=0.4 --set Pan=0.3 --set KnobDust=0"
# shellcheck disable=SC2086
same "defaults, 32-bit, 512" 
# shellcheck disable=SC2086
same "settings, 32-bit, 512" $settings
# shellcheck disable=SC2086
same "settings, 64-bit, 512" $settings --double
# shellcheck disable=SC2086
same "settings, 32-bit, 1" $settings --block 1
# shellcheck disable=SC2086
same "settings, 64-bit, 1000" $settings --double --block 1000
same "mono out, muted input, 64-bit, 333" --set "Mono Out=1" --set Mute=1 --set Repeat=0.8 \
  --set Level=1 --double --block 333
same "automation, 32-bit, 256" --set Repeat=0.5 --set Level=0.8 --ramp Delay=0.1:0.9@0.5:3 \
  --ramp Pan=0:1@0:4 --ramp Range=0:1@2:2.5 --block 256 --fixed-clock
same "automation, 64-bit, 100" --set Repeat=0.7 --set Level=0.6 --ramp Delay=0.8:0.2@1:4 \
  --ramp X-Feed=0:1@0:6 --block 100 --double --fixed-clock

all="--set Delay=0.62 --set Repeat=0.55 --set Level=0.75 --set Range=0 --set Dry=0.6
  --set Pan=0.2 --set X-Feed=0.3 --set 8=1 --set KnobDust=0 --set PingPong=1"
for file in program.fxp bank.fxb; do
  # shellcheck disable=SC2086
  "$host" preset save "$vst2editor" "$work/$file" $all >/dev/null
  same "VST 2.4 state from $file" --preset "$work/$file"
done
