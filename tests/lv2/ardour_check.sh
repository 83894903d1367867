#!/usr/bin/env bash
# Quillet K3 in Ardour 7, headless (ardour7-lua, Dummy backend), with LV2_PATH
# set by the caller: a session gets a stereo track with a test signal and the
# plug-in inserted by URI, the eleven values are set, the session is saved
# and exported; reopened, it must report the same eleven values and export
# the same audio. Both exports are checked against vst2-host's render of the
# same signal through the VST library.
#   ardour_check.sh WORK_DIR
#
# Ardour activates the plug-in, then sets the session's values in its first
# runs and plays silence until the export starts; the plug-in takes values
# that arrive before the first sound as values set at activate, so both
# exports equal the VST render sample for sample. Ardour's period (512) is
# vst2-host's --block. Delay and Range stay at their defaults so no stretch
# of the lines (whose noise follows the clock) happens.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$1
block=512
frames=192000
# Delay Repeat Level Range Mute Dry Pan X-Feed MonoOut KnobDust PingPong
values=(0 0.45 0.7 0.5 0 0.8 0.3 0.4 0 1 0.5)
fail() {
  echo "ardour_check: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work/config/ardour7/scripts" "$work/config/ardour7/export" "$work/export"
cp "$here/ardour/quillet_test_signal.lua" "$work/config/ardour7/scripts/"
cp "$here/ardour/quillet-float.preset" "$work/config/ardour7/export/"
python3 "$here/ardour/test_signal.py" "$work/signal.wav" "$frames"

sets=()
for i in "${!values[@]}"; do sets+=(--set "$i=${values[$i]}"); done
"$root/build/host/vst2-host" render "$root/build/QTAP_x64.so" "$work/signal.wav" \
  -o "$work/vst.wav" --block "$block" --tail 0 --format float "${sets[@]}" >/dev/null

# Ardour's settings, caches and session stay inside the work folder.
# Debian's ardour7-lua itself sometimes dies of a signal (a segfault or a heap
# check) while it sets up or closes a session, with Ardour's own plug-ins as
# well: a run killed by a signal is repeated, up to three times.
run_ardour() {
  local attempt status
  for attempt in 1 2 3; do
    [ "$1" = reload ] || rm -rf "$work/session"
    rm -f "$work/export/export.wav"
    status=0
    env HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
      XDG_DATA_HOME="$work/data" K3_MODE="$1" K3_SESSION_DIR="$work/session" \
      K3_EXPORT_DIR="$work/export" K3_BLOCK="$block" K3_FRAMES="$frames" \
      K3_VALUES="${values[*]}" timeout 300 ardour7-lua "$here/ardour/session.lua" \
      >"$work/$1.log" 2>&1 || status=$?
    [ "$status" -gt 128 ] && [ "$status" -ne 137 ] || break
    echo "   ardour7-lua ($1) died of signal $((status - 128)), attempt $attempt"
  done
  [ "$status" -eq 0 ] || fail "ardour7-lua ($1) failed ($status): $(tail -5 "$work/$1.log")"
  grep -q "^k3 exported" "$work/$1.log" || fail "no export ($1): $(tail -5 "$work/$1.log")"
  mv "$work/export/export.wav" "$work/$1.wav"
}

run_ardour create
grep -qx "k3 buffer $block" "$work/create.log" ||
  fail "Ardour runs other blocks than vst2-host: $(grep '^k3 buffer' "$work/create.log")"
run_ardour reload
want="k3 values"
for v in "${values[@]}"; do want+=" $(python3 -c "import struct,sys; print('%.9g' % struct.unpack('f', struct.pack('f', float(sys.argv[1])))[0])" "$v")"; done
for mode in create reload; do
  got=$(grep '^k3 values' "$work/$mode.log")
  [ "$got" = "$want" ] || fail "$mode: Ardour shows '$got', want '$want'"
done
echo "   Ardour restores the eleven values: ${want#k3 values }"

for mode in create reload; do
  python3 "$root/scripts/compare-wav.py" "$work/$mode.wav" "$work/vst.wav" 0 >"$work/cmp" ||
    fail "$mode: Ardour's export and vst2-host differ: $(cat "$work/cmp")"
  echo "   Ardour export ($mode) against vst2-host: $(cat "$work/cmp")"
done
# Not the dry signal: the echo is there.
if python3 "$root/scripts/compare-wav.py" "$work/create.wav" "$work/signal.wav" 0.01 >/dev/null; then
  fail "Ardour's export carries no echo"
fi
python3 "$root/scripts/compare-wav.py" "$work/create.wav" "$work/reload.wav" 0 >"$work/cmp" ||
  fail "the reopened session exports other audio: $(cat "$work/cmp")"
echo "   Ardour export, reopened against saved: $(cat "$work/cmp")"
