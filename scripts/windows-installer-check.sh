#!/usr/bin/env bash
# Checks the Windows installer under Wine, in a Wine prefix of its own made
# fresh for the run:
#   - the setup program: 64-bit, its version record,
#   - a silent install with the VST 2.4 folder given on the command line:
#     exactly the files expected, where hosts look, and nothing else,
#   - the installed VST3 bundle, .clap and DLL rendering, through the
#     installed quillet-host.exe, what the Linux library renders, and the
#     installed .fxp and .vstpreset of one preset what the Linux library
#     renders with the preset,
#   - the entry in "Apps & features" (the uninstall key),
#   - a second install over the first, with the other VST 2.4 build and
#     without CLAP: it replaces the first (one DLL, in the folder chosen
#     before), and a third with no options keeps the second's choices,
#   - an install that cannot write a file failing with exit code 2 and
#     leaving an uninstall entry; an uninstall that cannot delete one failing
#     with exit code 2 and keeping its entry for another run,
#   - the silent uninstall: every file gone, the key gone, the files beside
#     ours (another plug-in in the same folders) still there.
#   windows-installer-check.sh WINE SETUP.exe LINUX_BUILD OUT_DIR
set -euo pipefail
wine=$1 setup=$2 linux=$3 out=$4
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEPREFIX=$PWD/$out/installer-prefix WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
# The DLL made unwritable below is writable again whatever happens (rm -rf
# could not remove the prefix otherwise).
locked="$WINEPREFIX/drive_c/Studio Plugins/VST 2/QTAP_x64.dll"
chattr -i "$locked" 2>/dev/null || true
rm -rf "$WINEPREFIX"
trap 'chattr -i "$locked" 2>/dev/null || true; "$wineserver" -k 2>/dev/null || true' EXIT
fail() { echo "installer check: $*"; exit 1; }
# A path under drive_c as Windows writes it.
winpath() { local p=${1//\//\\}; echo "C:\\$p"; }

version=$(sed -n 's/^set(QUILLET_VERSION \([0-9.]*\))$/\1/p' cmake/identity.cmake)
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Marrow Ledge Quillet K3'
c="$WINEPREFIX/drive_c"
vst2_dir='Studio Plugins/VST 2'
bundle='Program Files/Common Files/VST3/Quillet K3.vst3'
program='Program Files/Marrow Ledge/Quillet K3'
start_menu='ProgramData/Microsoft/Windows/Start Menu/Programs/Quillet K3'
vst3_presets='ProgramData/VST3 Presets/Marrow Ledge/Quillet K3'

echo "$(basename "$setup"): $(stat -c %s "$setup") bytes"
x86_64-w64-mingw32-objdump -f "$setup" | grep -q "file format pei-x86-64" || fail "not 64-bit"
record=$(x86_64-w64-mingw32-strings -el "$setup" | tr '\n' '|')
for want in "FileDescription|Digital Echo VST|" "FileVersion|1.40|" "ProductVersion|1.40|" \
  "ProductName|Quillet K3|" "CompanyName|Marrow Ledge|"; do
  case "$record" in *"$want"*) ;; *) fail "the version record lacks $want" ;; esac
done
# The numbers of the record (VS_FIXEDFILEINFO after its signature).
python3 - "$setup" "$version" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
if at < 0:
    sys.exit("no version record")
ms, ls, pms, pls = struct.unpack_from("<IIII", data, at + 8)
numbers = lambda hi, lo: f"{hi >> 16}.{hi & 0xFFFF}.{lo >> 16}.{lo & 0xFFFF}"
want = sys.argv[2] + ".0"
if numbers(ms, ls) != want or numbers(pms, pls) != want:
    sys.exit(f"version numbers {numbers(ms, ls)}, {numbers(pms, pls)}, not {want}")
print(f"version record: Digital Echo VST, 1.40, numbers {want}")
EOF

# Every file of the prefix but Wine's own, relative to drive_c. The running
# uninstaller's copy of itself in the user's temporary folder goes at the next
# start of Windows (NSIS marks it so): not counted either.
files_now() {
  (cd "$c" && find . -path ./windows -prune -o -path './users/*/Temp/~nsu*.tmp' -prune -o \
    -type f -print | cut -c3- | LC_ALL=C sort)
}
# What an install with VST 2.4 DLL $1 writes (without the CLAP plug-in: $2 = noclap).
expected_files() {
  {
    [ "${2:-}" = noclap ] || echo "Program Files/Common Files/CLAP/QuilletK3.clap"
    printf '%s\n' "$bundle/Contents/x86_64-win/Quillet K3.vst3" \
      "$bundle/Contents/Resources/moduleinfo.json" "$vst2_dir/$1" \
      "$program/Uninstall.exe" "$program/LICENSE.txt" "$program/THIRD-PARTY-NOTICES.txt" \
      "$program/quillet-host.exe" "$start_menu/Quillet K3 Manual.lnk" "$start_menu/quillet-host.lnk"
    for f in "$linux"/presets/*.fxp; do echo "$vst2_dir/Quillet K3 presets/$(basename "$f")"; done
    for f in "$linux"/vst3-presets/*.vstpreset; do
      [ -e "$f" ] && echo "$vst3_presets/$(basename "$f")"
    done
    if [ -f "$linux/manual/index.html" ]; then
      (cd "$linux/manual" && find . -type f | cut -c3- | sed "s|^|$program/manual/|")
    else
      echo "$program/README-Windows.txt"
    fi
  } | LC_ALL=C sort
}
# The files the install added are exactly the expected ones.
check_installed() {
  comm -13 "$out/installer-before.txt" <(files_now) >"$out/installer-added.txt"
  expected_files "$@" >"$out/installer-expected.txt"
  diff "$out/installer-expected.txt" "$out/installer-added.txt" ||
    fail "the install wrote other files than expected (< expected, > written)"
  echo "$(wc -l <"$out/installer-added.txt") files where expected, nothing else written"
}
check_entry() {
  "$wine" reg query "$key" >"$out/installer-key.txt" 2>&1 || fail "no uninstall key"
  python3 - "$out/installer-key.txt" "$version" "$1" "$(winpath "$vst2_dir")" \
    "$c" "$out/installer-added.txt" <<'EOF' || fail "the uninstall key"
import os, re, sys
key, version, module, folder, root, added = sys.argv[1:]
values = dict(re.findall(r"^\s+(\S+)\s+REG_\w+\s+(.*?)\r?$", open(key).read(), re.M))
want = {"DisplayName": "Quillet K3", "DisplayVersion": version, "Publisher": "Marrow Ledge",
        "Vst2Module": module, "Vst2Folder": folder}
for name, value in want.items():
    if values.get(name) != value:
        sys.exit(f"{name} is {values.get(name)!r}, not {value!r}")
for name in ("UninstallString", "QuietUninstallString"):
    if "Uninstall.exe" not in values.get(name, ""):
        sys.exit(f"no {name}")
# The size shown: what the components hold (the uninstaller aside).
files = [f for f in open(added).read().splitlines() if not f.endswith("Uninstall.exe")]
actual = sum(os.path.getsize(os.path.join(root, f)) for f in files) / 1024
shown = int(values["EstimatedSize"], 16)
if abs(shown - actual) > 0.02 * actual + 16:
    sys.exit(f"EstimatedSize {shown} KiB, the files take {actual:.0f} KiB")
print(f"uninstall key: {values['DisplayName']} {version} by {values['Publisher']}, "
      f"{shown} KiB, {module} in {folder}")
EOF
}

echo "== a fresh Wine prefix"
"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w
# Another plug-in in the folders ours go into: it must outlive our uninstall.
mkdir -p "$c/$vst2_dir" "$c/Program Files/Common Files/VST3"
echo other >"$c/$vst2_dir/Other Plug-in.dll"
echo other >"$c/Program Files/Common Files/VST3/Other Plug-in.vst3"
files_now >"$out/installer-before.txt"

echo "== silent install, the VST 2.4 folder on the command line"
"$wine" "$setup" /S "/VST2DIR=$(winpath "$vst2_dir")"
"$wineserver" -w
check_installed QTAPG_x64.dll
check_entry QTAPG_x64.dll

echo "== the installed plug-ins under Wine against the Linux library"
settings=(--set Delay=0.37 --set Repeat=0.62 --set Level=0.83 --set Range=0.2 --set Mute=0.3
  --set Dry=0.71 --set Pan=0.35 --set X-Feed=0.27 --set "Mono Out=0.4" --set KnobDust=0.2
  --set PingPong=0.5 --tempo 97 --format float --tail 3)
"$linux"/host/quillet-host render "$linux/QTAPG_x64.so" -o "$out/installed-linux.wav" \
  "${settings[@]}" >/dev/null
host="$(winpath "$program")\\quillet-host.exe"
for module in "$(winpath "$bundle")" "$(winpath "Program Files/Common Files/CLAP/QuilletK3.clap")" \
  "$(winpath "$vst2_dir/QTAPG_x64.dll")"; do
  "$wine" "$host" render "$module" -o "$out/installed.wav" "${settings[@]}" >/dev/null ||
    fail "$module did not render"
  echo -n "$module: "
  python3 scripts/compare-wav.py "$out/installed.wav" "$out/installed-linux.wav" 1e-6
done

echo "== the installed presets under Wine against the Linux library's .fxp"
"$linux"/host/quillet-host render "$linux/QTAPG_x64.so" -o "$out/preset-linux.wav" \
  --preset "$linux/presets/tape_loop_edge.fxp" --format float --tail 3 >/dev/null
"$wine" "$host" render "$(winpath "$vst2_dir/QTAPG_x64.dll")" -o "$out/preset.wav" \
  --preset "$(winpath "$vst2_dir/Quillet K3 presets/tape_loop_edge.fxp")" --format float \
  --tail 3 >/dev/null || fail "the installed .fxp did not load"
echo -n "tape_loop_edge.fxp beside the DLL: "
python3 scripts/compare-wav.py "$out/preset.wav" "$out/preset-linux.wav" 1e-6
if [ -f "$linux/vst3-presets/Tape Loop on the Edge.vstpreset" ]; then
  "$wine" "$host" render "$(winpath "$bundle")" -o "$out/preset.wav" \
    --preset "$(winpath "$vst3_presets/Tape Loop on the Edge.vstpreset")" --format float \
    --tail 3 >/dev/null || fail "the installed .vstpreset did not load"
  echo -n "Tape Loop on the Edge.vstpreset in the shared factory folder: "
  python3 scripts/compare-wav.py "$out/preset.wav" "$out/preset-linux.wav" 1e-6
fi

echo "== a second install over the first: the build without panel, no CLAP plug-in"
"$wine" "$setup" /S /NOPANEL /NOCLAP
"$wineserver" -w
check_installed QTAP_x64.dll noclap
check_entry QTAP_x64.dll
echo "== a third, with no options: the second's choices and folders kept"
"$wine" "$setup" /S
"$wineserver" -w
check_installed QTAP_x64.dll noclap
check_entry QTAP_x64.dll

echo "== a DLL that cannot be written or deleted (a host holding it): install and uninstall fail"
[ "$locked" = "$c/$vst2_dir/QTAP_x64.dll" ] || fail "the DLL to lock is not the installed one"
if chattr +i "$locked" 2>/dev/null; then
  status=0
  "$wine" "$setup" /S || status=$?
  "$wineserver" -w
  [ "$status" = 2 ] || fail "the install over a file it could not write ended with $status, not 2"
  "$wine" reg query "$key" >/dev/null 2>&1 || fail "the stopped install left no uninstall key"
  echo "the install stopped with exit code 2, its uninstall entry written first"
  # Run in place (_?=, unquoted as NSIS wants it: hence a batch file) to wait
  # for it and see its exit code.
  printf '%s\r\n' '@echo off' \
    "\"$(winpath "$program")\\Uninstall.exe\" /S _?=$(winpath "$program")" \
    'exit /b %errorlevel%' >"$out/uninstall-in-place.bat"
  status=0
  "$wine" cmd.exe /c "${out//\//\\}\\uninstall-in-place.bat" || status=$?
  "$wineserver" -w
  chattr -i "$locked"
  [ "$status" = 2 ] || fail "the uninstall that could not delete a file ended with $status, not 2"
  "$wine" reg query "$key" >/dev/null 2>&1 || fail "that uninstall removed its entry"
  [ -f "$c/$program/Uninstall.exe" ] || fail "that uninstall removed the uninstaller"
  echo "the uninstall kept what it could not delete with exit code 2, its entry and itself"
else
  echo "skipped: this file system cannot make a file unwritable (chattr +i)"
fi

echo "== silent uninstall"
"$wine" "$(winpath "$program")\\Uninstall.exe" /S
# The uninstaller goes on in a copy of itself: wait for every process.
"$wineserver" -w
diff "$out/installer-before.txt" <(files_now) || fail "the uninstall left files (>) or took others (<)"
for dir in "$bundle" "$vst2_dir/Quillet K3 presets" "$vst3_presets" \
  "ProgramData/VST3 Presets/Marrow Ledge" "$program" "Program Files/Marrow Ledge" "$start_menu"; do
  [ ! -e "$c/$dir" ] || fail "the uninstall left $dir"
done
! "$wine" reg query "$key" >/dev/null 2>&1 || fail "the uninstall key is still there"
echo "uninstalled: no file, folder or key left, the other plug-ins kept"
