#!/usr/bin/env bash
# Quillet K3 in Ardour 7, headless (ardour7-lua, Dummy backend), with LV2_PATH
# set by the caller: a session gets a stereo track with a test signal and the
# plug-in inserted by URI, the eleven values are set, the session is saved
# and exported; reopened, it must report the same eleven values and export
# the same audio. Both exports are checked against quillet-host's render of the
# same signal through the VST library. With the VST3 bundle, an automation
# line is drawn on both editions and played back, and Ardour's preset menu
# of the VST3 edition must list each factory preset once (its program list:
# nine entries), each loading its values (see the end).
#   ardour_check.sh WORK_DIR [VST3_BUNDLE]
#
# Ardour activates the plug-in, then sets the session's values in its first
# runs and plays silence until the export starts; the plug-in takes values
# that arrive before the first sound as values set at activate, so both
# exports equal the VST render sample for sample. Ardour's period (512) is
# quillet-host's --block. Delay and Range stay at their defaults so no stretch
# of the lines (whose noise follows the clock) happens.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$1
vst3_bundle=${2:-}
vst3_id=565354515441507175696C6C6574206B
block=512
frames=192000
# Delay Repeat Level Range Mute Dry Pan X-Feed MonoOut KnobDust PingPong
values=(0 0.45 0.7 0.5 0 0.8 0.3 0.4 0 1 0.5)
# The same for the VST3 edition, whose stepped parameters Ardour sets by
# their step: Range and PingPong 0.5 are step 1.
vst3_values=(0 0.45 0.7 1 0 0.8 0.3 0.4 0 1 1)
# Automation for both editions: "Level" (2) from 0.7 at 1.024 s down to
# 0.1 at 1.5 s, in Ardour's "Play" mode.
automation=(2 0.7 0.1 49152 72000)
fail() {
  echo "ardour_check: $*" >&2
  exit 1
}
# The VST3 edition's presets in its program list's order (quillet-host info),
# each with the values the VST 2.4 edition's .fxp of that name holds, as
# Ardour shows them: "NAME|SYMBOL|VALUES" lines.
fxp_dir="$root/build/presets"
preset_table() {
  "$root/build/host/quillet-host" info "$vst3_bundle" |
    sed -n '/^  List:/,$p' | sed -n 's/^ *[0-9][0-9]*  //p' |
    python3 -c '
import importlib.util, sys
found = importlib.util.spec_from_file_location("factory_presets", sys.argv[1])
presets = importlib.util.module_from_spec(found)
found.loader.exec_module(presets)
fxp = presets.from_fxp_files(sys.argv[2])
for name in sys.stdin.read().splitlines():
    symbol, values = fxp[name]
    print("%s|%s|%s" % (name, symbol,
                        " ".join("%.9g" % v for v in presets.as_ardour_shows_vst3(values))))
' "$here/ardour/factory_presets.py" "$fxp_dir"
}
preset_names=""
preset_values=""  # each preset's values as Ardour shows them, in the names' order
export_preset="Dub Throw"

rm -rf "$work"
mkdir -p "$work/config/ardour7/scripts" "$work/config/ardour7/export" "$work/export"
cp "$here/ardour/quillet_test_signal.lua" "$work/config/ardour7/scripts/"
cp "$here/ardour/quillet-float.preset" "$work/config/ardour7/export/"
python3 "$here/ardour/test_signal.py" "$work/signal.wav" "$frames"

vst3_env=()
if [ -n "$vst3_bundle" ]; then
  # Ardour finds VST3 bundles by its scanner's cache, in ~/.vst3 among others.
  # The cache counts as stale when the module is newer than the second the
  # scanner wrote it in: a copy dated two seconds back cannot be.
  mkdir -p "$work/.vst3" "$work/cache"
  cp -R "$vst3_bundle" "$work/.vst3/"
  find "$work/.vst3" -type f -exec touch -d '-2 seconds' {} +
  HOME="$work" XDG_CACHE_HOME="$work/cache" LD_LIBRARY_PATH=/usr/lib/ardour7 \
    timeout 60 /usr/lib/ardour7/ardour-vst3-scanner "$work/.vst3/$(basename "$vst3_bundle")" \
    >"$work/scan.log" 2>&1 || fail "Ardour's VST3 scanner failed: $(tail -3 "$work/scan.log")"
  vst3_env=(K3_VST3_ID="$vst3_id" K3_VST3_VALUES="${vst3_values[*]}")
fi

sets=()
for i in "${!values[@]}"; do sets+=(--set "$i=${values[$i]}"); done
"$root/build/host/quillet-host" render "$root/build/QTAP_x64.so" "$work/signal.wav" \
  -o "$work/vst.wav" --block "$block" --tail 0 --format float "${sets[@]}" >/dev/null

# Ardour's settings, caches and session stay inside the work folder.
# Debian's ardour7-lua itself sometimes dies of a signal (a segfault or a heap
# check) while it sets up or closes a session, with Ardour's own plug-ins as
# well, more often with automation playing (the same run under valgrind
# shows no invalid access by either edition, and ends cleanly). A run that
# dies after its exports are done ("k3 done") counts; one killed earlier is
# repeated, up to five times.
run_ardour() {
  local attempt status
  for attempt in 1 2 3 4 5; do
    [ "$1" != create ] || rm -rf "$work/session"
    rm -f "$work/export/"export*.wav
    status=0
    env HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
      XDG_DATA_HOME="$work/data" K3_MODE="$1" K3_SESSION_DIR="$work/session" \
      K3_EXPORT_DIR="$work/export" K3_BLOCK="$block" K3_FRAMES="$frames" \
      K3_VALUES="${values[*]}" K3_AUTOMATION="${automation[*]}" "${vst3_env[@]}" \
      K3_PRESETS="$preset_names" K3_PRESET_VALUES="$preset_values" \
      K3_EXPORT_PRESET="$export_preset" \
      timeout 300 ardour7-lua "$here/ardour/session.lua" \
      >"$work/$1.log" 2>&1 || status=$?
    if [ "$status" -gt 128 ] && [ "$status" -ne 137 ] && grep -q "^k3 done" "$work/$1.log"; then
      echo "   ardour7-lua ($1) died of signal $((status - 128)) after its exports"
      status=0
    fi
    [ "$status" -gt 128 ] && [ "$status" -ne 137 ] || break
    echo "   ardour7-lua ($1) died of signal $((status - 128)), attempt $attempt"
  done
  [ "$status" -eq 0 ] || fail "ardour7-lua ($1) failed ($status): $(tail -5 "$work/$1.log")"
  grep -q "^k3 exported" "$work/$1.log" || fail "no export ($1): $(tail -5 "$work/$1.log")"
  if [ -n "$vst3_bundle" ]; then
    [ -f "$work/export/export-vst3.wav" ] || fail "no VST3 export ($1)"
    mv "$work/export/export-vst3.wav" "$work/$1-vst3.wav"
    [ "$1" = presets ] || mv "$work/export/export-lv2.wav" "$work/$1.wav"
  else
    mv "$work/export/export.wav" "$work/$1.wav"
  fi
}

float_text() {  # the values as Ardour prints them: single precision, %.9g
  python3 -c "import struct,sys; print(' '.join('%.9g' % struct.unpack('f', struct.pack('f', float(v)))[0] for v in sys.argv[1:]))" "$@"
}

run_ardour create
grep -qx "k3 buffer $block" "$work/create.log" ||
  fail "Ardour runs other blocks than quillet-host: $(grep '^k3 buffer' "$work/create.log")"
run_ardour reload
want="k3 values $(float_text "${values[@]}")"
for mode in create reload; do
  got=$(grep '^k3 values' "$work/$mode.log")
  [ "$got" = "$want" ] || fail "$mode: Ardour shows '$got', want '$want'"
done
echo "   Ardour restores the eleven values: ${want#k3 values }"
editions=("")
if [ -n "$vst3_bundle" ]; then
  editions+=(-vst3)
  want="k3 vst3 values $(float_text "${vst3_values[@]}")"
  for mode in create reload; do
    got=$(grep '^k3 vst3 values' "$work/$mode.log")
    [ "$got" = "$want" ] || fail "$mode: Ardour shows the VST3 edition's '$got', want '$want'"
  done
  echo "   Ardour restores the VST3 edition's eleven values: ${want#k3 vst3 values }"
fi

for edition in "${editions[@]}"; do
  name=${edition:+VST3 }export
  for mode in create reload; do
    python3 "$root/scripts/compare-wav.py" "$work/$mode$edition.wav" "$work/vst.wav" 0 >"$work/cmp" ||
      fail "$mode: Ardour's $name and quillet-host differ: $(cat "$work/cmp")"
    echo "   Ardour $name ($mode) against quillet-host: $(cat "$work/cmp")"
  done
  # Not the dry signal: the echo is there.
  if python3 "$root/scripts/compare-wav.py" "$work/create$edition.wav" "$work/signal.wav" 0.01 \
    >/dev/null; then
    fail "Ardour's $name carries no echo"
  fi
  python3 "$root/scripts/compare-wav.py" "$work/create$edition.wav" "$work/reload$edition.wav" 0 \
    >"$work/cmp" || fail "the reopened session's $name differs: $(cat "$work/cmp")"
  echo "   Ardour $name, reopened against saved: $(cat "$work/cmp")"
done

# The factory presets in Ardour's preset menu for the VST3 edition: nine
# entries, the program list (the package installs no preset files beside
# it, which Ardour would list a second time), each loaded and showing the
# preset's values (as the VST 2.4 edition's .fxp holds them); then "Dub
# Throw" exported: the same samples as quillet-host's render of its .fxp
# through the VST 2.4 edition. Ardour plays silence after the loads, so the
# preset is in place before the first sound and the lines start at its
# length without a stretch.
if [ -n "$vst3_bundle" ]; then
  table=$(preset_table) || fail "the program list and the .fxp presets do not match"
  [ "$(wc -l <<<"$table")" -eq 9 ] || fail "not nine programs: $table"
  preset_names=$(cut -d'|' -f1 <<<"$table" | paste -sd'|')
  preset_values=$(cut -d'|' -f3 <<<"$table" | paste -sd'|')
  run_ardour presets
  entries=$(sed -n 's/^k3 menu entries \([0-9]*\).*/\1/p' "$work/presets.log")
  [ "$entries" = 9 ] ||
    fail "Ardour's VST3 preset menu holds ${entries:-no} entries, not nine: $(grep '^k3 menu entry' "$work/presets.log")"
  # Each preset once, by its name.
  diff <(cut -d'|' -f1 <<<"$table" | LC_ALL=C sort) \
    <(sed -n 's/^k3 menu entry \(.*\) = .*/\1/p' "$work/presets.log" | LC_ALL=C sort) ||
    fail "Ardour's VST3 preset menu does not list each factory preset once"
  index=0
  while IFS='|' read -r name symbol want; do
    got=$(grep -F "k3 program $index $name:" "$work/presets.log" | head -1)
    [ "$got" = "k3 program $index $name: $want" ] ||
      fail "Ardour's program $index $name: got '${got:-nothing}', want '$want'"
    index=$((index + 1))
  done <<<"$table"
  echo "   Ardour's VST3 preset menu: $(sed -n 's/^k3 menu entries //p' "$work/presets.log"), each factory preset once, each loading its values"
  symbol=$(grep "^$export_preset|" <<<"$table" | cut -d'|' -f2)
  "$root/build/host/quillet-host" render "$root/build/QTAP_x64.so" "$work/signal.wav" \
    -o "$work/vst-preset.wav" --block "$block" --tail 0 --format float \
    --preset "$fxp_dir/$symbol.fxp" >/dev/null
  python3 "$root/scripts/compare-wav.py" "$work/presets-vst3.wav" "$work/vst-preset.wav" 0 \
    >"$work/cmp" || fail "Ardour's export with \"$export_preset\" and quillet-host differ: $(cat "$work/cmp")"
  echo "   Ardour VST3 export with \"$export_preset\" loaded against quillet-host: $(cat "$work/cmp")"
fi

# Automation, played back by Ardour: each edition sounds as without it
# until the line starts, and follows it from a block boundary. Ardour hands
# an LV2 plug-in the value at each block's start, and a VST3 plug-in each
# block's points, which it takes at their frames: both follow the line from
# the block after the one it starts in, and give the same samples throughout.
if [ -n "$vst3_bundle" ]; then
  run_ardour automate
  grep -q "^k3 automated 2" "$work/automate.log" || fail "no automation drawn"
  python3 - "$root/scripts/compare-wav.py" "$work/vst.wav" "$work/automate.wav" \
    "$work/automate-vst3.wav" "${automation[3]}" "$block" <<'PY' || fail "automation"
import importlib.util, sys

found = importlib.util.spec_from_file_location("compare_wav", sys.argv[1])
compare_wav = importlib.util.module_from_spec(found)
found.loader.exec_module(compare_wav)
plain, lv2, vst3 = (compare_wav.read_float_wav(path)[2] for path in sys.argv[2:5])
start, block = int(sys.argv[5]), int(sys.argv[6])

def first_difference(a, b):  # in frames
    return next((i // 2 for i in range(len(a)) if a[i] != b[i]), None)

for name, export in (("LV2", lv2), ("VST3", vst3)):
    got = first_difference(export, plain)
    print("   Ardour automation: the %s export follows it from frame %s" % (name, got))
    if got != start + block:
        sys.exit("the %s export follows the automation from frame %s, not %d"
                 % (name, got, start + block))
apart = first_difference(lv2, vst3)
print("   Ardour automation, VST3 against LV2: %s" %
      ("the same samples" if apart is None else "first difference at frame %d" % apart))
if apart is not None:
    sys.exit("the two editions' automated exports differ from frame %d" % apart)
PY
fi
