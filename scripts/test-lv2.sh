#!/usr/bin/env bash
# The LV2 bundle in real LV2 hosts: serdi parses every Turtle file, lv2ls and
# lv2info see the plug-in and its ports as declared (nothing on stderr),
# lv2apply renders through the bundle exactly what quillet-host renders through
# the VST library, each factory preset sounds the same from its LV2 and its
# .fxp form, GStreamer's lv2 element lists the plug-in as a stereo filter and
# renders what quillet-host renders, and Ardour 7 (headless) plays a session
# through the plug-in and restores its values; the same session holds the VST3
# edition on a track of its own, checked the same way (one Ardour start for
# both).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --lv2 --tests
# Configured again: the LV2 headers may have arrived only now.
if [ -f build/build.ninja ]; then
  cmake -S . -B build >/dev/null
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build -j"$(nproc)" --target quillet_k3_dsp quillet_lv2_bundle QTAP_x64 quillet-host \
  quillet_vst3

uri=urn:marrowledge:quillet-k3
bundle=build/quillet-k3.lv2
host=build/host/quillet-host
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "test-lv2: $*" >&2
  exit 1
}
quiet() {  # runs a command; anything on its stderr is a failure
  "$@" 2>"$work/stderr" || fail "$* failed: $(cat "$work/stderr")"
  [ ! -s "$work/stderr" ] || fail "$* wrote to stderr: $(cat "$work/stderr")"
}

echo "== serdi parses every Turtle file"
for f in "$bundle"/*.ttl; do
  quiet serdi -o ntriples "$f" >"$work/$(basename "$f").nt"
done

echo "== lv2ls and lv2info"
# lilv loads every folder on LV2_PATH as a bundle: one holding only ours.
mkdir "$work/lv2"
ln -s "$PWD/$bundle" "$work/lv2/quillet-k3.lv2"
export LV2_PATH="$work/lv2:/usr/lib/lv2"
quiet lv2ls >"$work/lv2ls"
grep -qx "$uri" "$work/lv2ls" || fail "lv2ls does not list $uri"
quiet lv2info "$uri" >"$work/lv2info"
python3 tests/lv2/bundle_checks.py ports <"$work/lv2info" || fail "lv2info shows other ports"
python3 tests/lv2/bundle_checks.py presets "$work/presets.ttl.nt" >"$work/presets"
[ "$(wc -l <"$work/presets")" -ge 5 ] || fail "fewer than five factory presets"
while IFS=$'\t' read -r symbol label values; do
  grep -qxF "$(printf '\t         %s' "$label")" "$work/lv2info" ||
    fail "lv2info does not list the preset \"$label\""
done <"$work/presets"

# Input: the demo as 32-bit float (Level 0 passes the dry signal unchanged).
"$host" render build/QTAP_x64.so -o "$work/in48.wav" --format float --set Level=0 >/dev/null
"$host" render build/QTAP_x64.so -o "$work/in44.wav" --format float --set Level=0 --rate 44100 \
  >/dev/null

# same NAME INPUT "LV2 -c pairs" "quillet-host options": lv2apply runs one frame
# per run call, so the VST render uses blocks of one frame.
same() {
  local name=$1 input=$2 controls=$3 vst=$4
  # shellcheck disable=SC2086
  quiet lv2apply -i "$input" -o "$work/$name.lv2.wav" $controls "$uri" >/dev/null
  # shellcheck disable=SC2086
  "$host" render build/QTAP_x64.so "$input" -o "$work/$name.vst.wav" --block 1 --tail 0 $vst >/dev/null
  python3 scripts/compare-wav.py "$work/$name.lv2.wav" "$work/$name.vst.wav" 0 >"$work/cmp" ||
    fail "$name: lv2apply and quillet-host differ: $(cat "$work/cmp")"
  echo "   $name: $(cat "$work/cmp")"
}

echo "== lv2apply renders what quillet-host renders, sample for sample"
same defaults "$work/in48.wav" "" ""
same long-range "$work/in48.wav" \
  "-c delay 0.3 -c range 1 -c repeat 0.45 -c level 0.7 -c x_feed 0.4 -c pan 0.3 -c knob_dust 0" \
  "--set Delay=0.3 --set Range=1 --set Repeat=0.45 --set Level=0.7 --set X-Feed=0.4 --set Pan=0.3 --set KnobDust=0"
same ping-44k "$work/in44.wav" \
  "-c delay 0.9 -c range 0 -c repeat 0.6 -c level 0.5 -c ping_pong 0.5 -c dry 0.5 -c mono_out 1" \
  "--set Delay=0.9 --set Range=0 --set Repeat=0.6 --set Level=0.5 --set PingPong=0.5 --set Dry=0.5 --set 8=1"
same muted "$work/in48.wav" "-c mute 1 -c repeat 0.8 -c level 1" \
  "--set Mute=1 --set Repeat=0.8 --set Level=1"

echo "== GStreamer's lv2 element lists the plug-in and renders what quillet-host renders"
# A registry of its own: the scan sees this bundle, not a cached one.
export GST_REGISTRY="$work/gst-registry.bin"
quiet gst-inspect-1.0 lv2 >"$work/gst-lv2"
# The element's name is the plug-in's URI made a GStreamer name.
element=$(sed -n 's/^  \([^ ]*\): Quillet K3$/\1/p' "$work/gst-lv2")
[ -n "$element" ] || fail "gst-inspect-1.0 lv2 does not list Quillet K3: $(cat "$work/gst-lv2")"
quiet gst-inspect-1.0 "$element" >"$work/gst-element"
# A stereo filter: both pads two channels wide (the port groups give the order).
grep -q "GstAudioFilter" "$work/gst-element" || fail "$element is not a GstAudioFilter"
[ "$(grep -c "channels: 2$" "$work/gst-element")" -eq 2 ] || fail "$element: pads not stereo"
for symbol in delay repeat level range mute dry pan x_feed mono_out knob_dust ping_pong; do
  grep -q "^  ${symbol//_/-} " "$work/gst-element" || fail "$element has no property for $symbol"
done
while IFS=$'\t' read -r symbol label values; do
  grep -qxF "  \"$label\"" "$work/gst-element" || fail "$element does not list the preset \"$label\""
done <"$work/presets"
# gst NAME INPUT BLOCK "element properties" "quillet-host options": wavparse
# passes 40 ms buffers, run as they come, so the VST render uses blocks of that
# many frames (1920 at 48 kHz, 1764 at 44.1).
gst() {
  local name=$1 input=$2 block=$3 properties=$4 vst=$5
  # shellcheck disable=SC2086
  quiet gst-launch-1.0 -q filesrc location="$input" ! wavparse ! audioconvert ! \
    "$element" $properties ! audioconvert ! audio/x-raw,format=F32LE ! wavenc ! \
    filesink location="$work/$name.gst.wav"
  # shellcheck disable=SC2086
  "$host" render build/QTAP_x64.so "$input" -o "$work/$name.vst.wav" --block "$block" \
    --tail 0 $vst >/dev/null
  python3 scripts/compare-wav.py "$work/$name.gst.wav" "$work/$name.vst.wav" 0 >"$work/cmp" ||
    fail "$name: GStreamer and quillet-host differ: $(cat "$work/cmp")"
  echo "   gst-$name: $(cat "$work/cmp")"
}
# GStreamer starts every toggle off, whatever its lv2:default: KnobDust too.
gst defaults "$work/in48.wav" 1920 "" "--set KnobDust=0"
gst long-range "$work/in48.wav" 1920 \
  "delay=0.3 range=1 repeat=0.45 level=0.7 x-feed=0.4 pan=0.3 knob-dust=false" \
  "--set Delay=0.3 --set Range=1 --set Repeat=0.45 --set Level=0.7 --set X-Feed=0.4 --set Pan=0.3 --set KnobDust=0"
gst ping-44k "$work/in44.wav" 1764 \
  "delay=0.9 range=0 repeat=0.6 level=0.5 ping-pong=0.5 dry=0.5 mono-out=true" \
  "--set Delay=0.9 --set Range=0 --set Repeat=0.6 --set Level=0.5 --set PingPong=0.5 --set Dry=0.5 --set 8=1"

echo "== each factory preset: the LV2 preset through lv2apply, the .fxp through quillet-host"
declare -A index
i=0
for symbol in delay repeat level range mute dry pan x_feed mono_out knob_dust ping_pong; do
  index[$symbol]=$i
  i=$((i + 1))
done
while IFS=$'\t' read -r symbol label values; do
  fxp=build/presets/$symbol.fxp
  [ -f "$fxp" ] || fail "no $fxp for the preset \"$label\""
  "$host" preset show "$fxp" >"$work/show"
  grep -q "\"$label\"" "$work/show" || fail "$fxp is not named \"$label\""
  grep -q "44 bytes" "$work/show" || fail "$fxp holds no 44-byte state"
  # The same record as quillet-host saves from the VST library, but for the name
  # (28 bytes from offset 28).
  sets=()
  for pair in $values; do sets+=(--set "${index[${pair%%=*}]}=${pair#*=}"); done
  "$host" preset save build/QTAP_x64.so "$work/saved.fxp" "${sets[@]}" >/dev/null
  cmp -s <(head -c 28 "$fxp") <(head -c 28 "$work/saved.fxp") &&
    cmp -s <(tail -c +57 "$fxp") <(tail -c +57 "$work/saved.fxp") ||
    fail "$fxp is not the record quillet-host saves for the same values"
  same "preset-$symbol" "$work/in48.wav" "$(printf -- '-c %s %s ' ${values//=/ })" "--preset $fxp"
done <"$work/presets"

echo "== cmake --install puts the bundle where LV2 hosts look"
cmake --install build --prefix "$work/prefix" >/dev/null
LV2_PATH="$work/prefix/lib/lv2:/usr/lib/lv2" quiet lv2info "$uri" >"$work/installed"
python3 tests/lv2/bundle_checks.py ports <"$work/installed" || fail "the installed bundle differs"
[ "$(find "$work/prefix/share/quillet-k3/presets" -name '*.fxp' | wc -l)" -eq "$(wc -l <"$work/presets")" ] ||
  fail "not every .fxp preset is installed"

echo "== Ardour 7 (headless), with the VST3 edition beside"
bash tests/lv2/ardour_check.sh "$work/ardour" "build/Quillet K3.vst3"

echo "test-lv2: all checks passed"
