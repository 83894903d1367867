#!/usr/bin/env bash
# Cross-builds the Windows DLLs and quillet-host.exe into build-win/ with
# mingw-w64 and checks them under Wine on a private X display:
#   - the black-box tests of the plug-ins, and quillet-host validate (editor part
#     included), on both DLLs,
#   - the engine's vector paths (AVX2 and AVX-512 where the processor has
#     them) against the frame-by-frame oracle, bit for bit,
#   - the CLAP module: its exports and imports, quillet-host validate under Wine,
#     and its render against the Linux library's,
#   - the built-in demo rendered by each DLL and by the Linux library, every
#     parameter away from its default and the delay held still, agreeing
#     within 1e-6 on every sample (32- and 64-bit processing),
#   - the editor's picture under Wine against the Linux one,
#   - the VST3 bundle's DLL: its exports and imports, quillet-host validate
#     (its view included) and its renders against the VST 2.4 DLL's, exact,
#   - a real click (xdotool) on the Mute key toggling the parameter, and a
#     wheel notch on a knob moving it by its wheel step,
#   - the installer, made here, in a Wine prefix of its own: every exit code,
#     the README's examples as printed, and its window walked page by page
#     (scripts/windows-installer-check.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --windows
# One X display for the whole run: Wine's desktop process stays connected to
# the display it started on.
if [ -z "${QUILLET_WINDOWS_DISPLAY:-}" ]; then
  QUILLET_WINDOWS_DISPLAY=1 exec scripts/with-display.sh bash "$0" "$@"
fi

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$PWD/build-win/wineprefix}"
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
# Wine's processes of this prefix end with the run, before the display goes.
trap '"$wineserver" -k 2>/dev/null || true' EXIT

# The Linux libraries to compare with (CI's build/ unless told otherwise); its
# .fxp presets and manual go into the installer.
linux=${LINUX_BUILD:-build}
linux_dir=$(realpath -m "$linux")
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_TESTS=ON -DQUILLET_BUILD_BENCH=OFF \
  -DQUILLET_FXP_PRESET_DIR="$linux_dir/presets" -DQUILLET_MANUAL_DIR="$linux_dir/manual" >/dev/null
cmake --build build-win -j"$(nproc)"
mkdir -p build-win/windows-checks
cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
linux_targets=(QTAPG_x64 QTAP_x64 quillet-host quillet_lv2_bundle)
# The manual, where this build makes one (without, the installer carries README-Windows.txt).
ninja -C "$linux" -t query quillet_manual >/dev/null 2>&1 && linux_targets+=(quillet_manual)
cmake --build "$linux" -j"$(nproc)" --target "${linux_targets[@]}"

echo "== exports and imports"
for dll in build-win/QTAPG_x64.dll build-win/QTAP_x64.dll; do
  exports=$(x86_64-w64-mingw32-objdump -p "$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/^\t\[/ {print $NF}' | LC_ALL=C sort | tr '\n' ' ')
  imports=$(x86_64-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ {print $3}' | LC_ALL=C sort | tr '\n' ' ')
  echo "$dll exports: $exports imports: $imports"
  [ "$exports" = "VSTPluginMain main " ] || { echo "unexpected exports"; exit 1; }
  for name in $imports; do
    case "${name,,}" in
      kernel32.dll | user32.dll | gdi32.dll | ole32.dll | msvcrt.dll) ;;
      *) echo "imports a DLL that is not part of Windows: $name"; exit 1 ;;
    esac
  done
done

# The CLAP module: only the entry record exported, only system DLLs imported
# (the panel's window needs the same as the editor build's).
clap=build-win/QuilletK3.clap
exports=$(x86_64-w64-mingw32-objdump -p "$clap" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/^\t\[/ {print $NF}' | tr '\n' ' ')
imports=$(x86_64-w64-mingw32-objdump -p "$clap" | awk '/DLL Name:/ {print $3}' | LC_ALL=C sort | tr '\n' ' ')
echo "$clap exports: $exports imports: $imports"
[ "$exports" = "clap_entry " ] || { echo "unexpected exports"; exit 1; }
for name in $imports; do
  case "${name,,}" in
    kernel32.dll | user32.dll | gdi32.dll | ole32.dll | msvcrt.dll) ;;
    *) echo "imports a DLL that is not part of Windows: $name"; exit 1 ;;
  esac
done
echo "== the VST3 bundle's DLL"
sh tests/vst3/check_windows_dll.sh "build-win/Quillet K3.vst3/Contents/x86_64-win/Quillet K3.vst3"

echo "== version records"
check_record() {
  local file=$1 record
  record=$(x86_64-w64-mingw32-strings -el "$file" | tr '\n' '|')
  shift
  for want in "$@"; do
    case "$record" in
      *"$want|"*) ;;
      *) echo "$file: the version record lacks $want"; exit 1 ;;
    esac
  done
  echo "$file: $*"
}
check_record build-win/QTAPG_x64.dll "FileDescription|Digital Echo VST" \
  "FileVersion|1.40" "ProductVersion|1.40" "InternalName|QTAPG" "ProductName|Quillet K3"
check_record build-win/QTAP_x64.dll "FileDescription|Digital Echo VST" \
  "FileVersion|1.40" "ProductVersion|1.40" "InternalName|QTAP" "ProductName|Quillet K3 (no GUI)"
pictures=$(x86_64-w64-mingw32-objdump -s -j .rsrc build-win/QTAPG_x64.dll | grep -c "PNG" || true)
echo "PNG pictures in QTAPG_x64.dll: $pictures"
[ "$pictures" = 15 ]

host_exe=build-win/host/quillet-host.exe
out=build-win/windows-checks
mkdir -p "$out"

echo "== black-box tests of the DLLs, the Win32 window tests and the engine's vector paths under Wine"
(cd build-win && "$wine" tests/windows/plugin_tests.exe --gtest_brief=1 >windows-checks/plugin_tests.txt 2>&1) ||
  { tr -d '\r' <build-win/windows-checks/plugin_tests.txt; exit 1; }
tr -d '\r' <build-win/windows-checks/plugin_tests.txt | grep -E "PASSED|FAILED"
"$wine" build-win/tests/windows/win32_window_tests.exe --gtest_brief=1 \
  >build-win/windows-checks/win32_window_tests.txt 2>&1 ||
  { tr -d '\r' <build-win/windows-checks/win32_window_tests.txt; exit 1; }
tr -d '\r' <build-win/windows-checks/win32_window_tests.txt | grep -E "PASSED|FAILED"
"$wine" build-win/tests/windows/engine_equality_tests.exe --gtest_brief=1 \
  >build-win/windows-checks/engine_equality_tests.txt 2>&1 ||
  { tr -d '\r' <build-win/windows-checks/engine_equality_tests.txt; exit 1; }
tr -d '\r' <build-win/windows-checks/engine_equality_tests.txt | grep -E "PASSED|FAILED"
"$wine" build-win/tests/windows/ui_settings_tests.exe --gtest_brief=1 \
  >build-win/windows-checks/ui_settings_tests.txt 2>&1 ||
  { tr -d '\r' <build-win/windows-checks/ui_settings_tests.txt; exit 1; }
tr -d '\r' <build-win/windows-checks/ui_settings_tests.txt | grep -E "PASSED|FAILED"

echo "== validate under Wine"
for dll in QTAPG_x64.dll QTAP_x64.dll; do
  "$wine" "$host_exe" validate "build-win/$dll" >"$out/validate-$dll.txt" 2>&1 ||
    { cat "$out/validate-$dll.txt"; exit 1; }
  tr -d '\r' <"$out/validate-$dll.txt" | grep -E "passed, .* failed"
done

echo "== validate the CLAP module under Wine (its panel on the host's timers included)"
"$wine" "$host_exe" validate build-win/QuilletK3.clap --seconds 1 >"$out/validate-clap.txt" 2>&1 ||
  { tr -d '\r' <"$out/validate-clap.txt"; exit 1; }
tr -d '\r' <"$out/validate-clap.txt" | grep -E "gui:|passed, .* failed"

echo "== the VST3 bundle under Wine: validated, and rendering what the VST 2.4 DLL renders"
vst3_bundle="build-win/Quillet K3.vst3"
"$wine" "$host_exe" validate "$vst3_bundle" --seconds 1 >"$out/validate-vst3.txt" 2>&1 ||
  { tr -d '\r' <"$out/validate-vst3.txt"; exit 1; }
tr -d '\r' <"$out/validate-vst3.txt" | grep -E "editor view|passed, .* failed"
for precision in "" --double; do
  "$wine" "$host_exe" render "$vst3_bundle" -o "$out/vst3$precision.wav" --format float \
    --set Delay=0.37 --set Repeat=0.62 --set Level=0.83 --set PingPong=0.5 --tail 2 $precision \
    >/dev/null
  "$wine" "$host_exe" render build-win/QTAP_x64.dll -o "$out/vst2$precision.wav" --format float \
    --set Delay=0.37 --set Repeat=0.62 --set Level=0.83 --set PingPong=0.5 --tail 2 $precision \
    >/dev/null
  echo -n "VST3 against VST 2.4 under Wine ${precision:---float}: "
  python3 scripts/compare-wav.py "$out/vst3$precision.wav" "$out/vst2$precision.wav" 0
done

echo "== render: DLL under Wine against the Linux library"
settings=(--set Delay=0.37 --set Repeat=0.62 --set Level=0.83 --set Range=0.2 --set Mute=0.3
  --set Dry=0.71 --set Pan=0.35 --set X-Feed=0.27 --set "Mono Out=0.4" --set KnobDust=0.2
  --set PingPong=0.5 --tempo 97 --format float --tail 3)
for name in QTAPG_x64 QTAP_x64; do
  for precision in "" --double; do
    "$wine" "$host_exe" render "build-win/$name.dll" -o "$out/$name$precision.wav" \
      "${settings[@]}" $precision >/dev/null
    "$linux"/host/quillet-host render "$linux/$name.so" -o "$out/$name$precision-linux.wav" \
      "${settings[@]}" $precision >/dev/null
    echo -n "$name ${precision:---float}: "
    python3 scripts/compare-wav.py "$out/$name$precision.wav" "$out/$name$precision-linux.wav" 1e-6
  done
done
# The CLAP module under Wine against the Linux VST 2.4 library's renders above.
for precision in "" --double; do
  "$wine" "$host_exe" render build-win/QuilletK3.clap -o "$out/clap$precision.wav" \
    "${settings[@]}" $precision >/dev/null
  echo -n "QuilletK3.clap ${precision:---float}: "
  python3 scripts/compare-wav.py "$out/clap$precision.wav" "$out/QTAP_x64$precision-linux.wav" 1e-6
done

echo "== editor picture under Wine against Linux"
"$wine" "$host_exe" snapshot build-win/QTAPG_x64.dll -o "$out/panel-wine.png" \
  >/dev/null 2>&1
"$linux"/host/quillet-host snapshot "$linux"/QTAPG_x64.so -o "$out/panel-linux.png" \
  >/dev/null 2>&1
differing=$(compare -metric AE "$out/panel-wine.png" "$out/panel-linux.png" null: 2>&1 || true)
echo "pixels that differ: $differing"
[ "$differing" = "0" ] || exit 1
# The VST3 view under Wine (HWND, paced by its window timer): the same picture.
"$wine" "$host_exe" snapshot "build-win/Quillet K3.vst3" -o "$out/panel-vst3-wine.png" \
  >/dev/null 2>&1
differing=$(compare -metric AE "$out/panel-vst3-wine.png" "$out/panel-linux.png" null: 2>&1 || true)
echo "pixels of the VST3 view that differ: $differing"
[ "$differing" = "0" ] || exit 1

echo "== real input under Wine: a click on the Mute key, a wheel notch on the Repeat knob"
probe=build-win/host/editor_click_probe.exe
# The middle of the Mute key (60 x 40 at 225, 307): off to on in one gesture.
bash scripts/windows-click-check.sh "$wine" "$probe" build-win/QTAPG_x64.dll 4 255 327 1 \
  "parameter 4: 0 -> 1, automate 1, begin 1, end 1"
# The middle of the Repeat knob (100 x 100 at 240, 40): one notch up is one wheel step.
bash scripts/windows-click-check.sh "$wine" "$probe" build-win/QTAPG_x64.dll 1 290 90 4 \
  "parameter 1: 0 -> 0.1,"
echo "== the panel at twice the size under Wine"
"$wine" "$host_exe" snapshot build-win/QTAPG_x64.dll -o "$out/panel-wine-200.png" --host-scale 2 \
  >/dev/null 2>&1
"$linux"/host/quillet-host snapshot "$linux"/QTAPG_x64.so -o "$out/panel-linux-200.png" \
  --host-scale 2 >/dev/null 2>&1
size=$(identify -format "%wx%h" "$out/panel-wine-200.png")
differing=$(compare -metric AE "$out/panel-wine-200.png" "$out/panel-linux-200.png" null: 2>&1 || true)
echo "size $size, pixels that differ: $differing"
[ "$size" = "1172x770" ] && [ "$differing" = "0" ] || exit 1
# The middle of the Mute key at 2 (255, 327 at 1).
QUILLET_UI_SCALE=2 bash scripts/windows-click-check.sh "$wine" "$probe" build-win/QTAPG_x64.dll \
  4 510 654 1 "parameter 4: 0 -> 1, automate 1, begin 1, end 1"
echo "== the installer under Wine: install, renders, a second install over it, uninstall"
t0=$SECONDS
version=$(sed -n 's/^set(QUILLET_VERSION \([0-9.]*\))$/\1/p' cmake/identity.cmake)
cmake --build build-win --target quillet_installer | grep "installer:"
bash scripts/windows-installer-check.sh "$wine" "build-win/quillet-k3-$version-win64-setup.exe" \
  "$linux" "$out" build-win/host/installer_page_probe.exe
echo "installer made and checked in $((SECONDS - t0)) s"
echo "Windows checks passed"
