#!/usr/bin/env bash
# Checks the Windows installer under Wine, in a Wine prefix of its own made
# fresh for the run:
#   - the setup program: 64-bit, its version record, our own icon (from the
#     panel's artwork) in the setup, the uninstaller it writes and
#     the Start menu entries,
#   - every exit code a silent run can end with, each said in one line on
#     standard error: 3 for an unknown option and for /VST2DIR= without an
#     absolute folder, 4 for a folder that cannot be made (a drive that does
#     not exist: the README's former example), 2 for a damaged setup file,
#     nothing written by any of them,
#   - the README's silent example, run as printed in Windows' prompt (a
#     machine with only C:): exit code 0 and exactly the files expected,
#     where hosts look, and nothing else; the installed quillet-host.exe's
#     help naming Windows files (.dll, .vst3, .clap),
#   - the installed VST3 bundle, .clap and DLL rendering, through the
#     installed quillet-host.exe, what the Linux library renders, and the
#     installed .fxp of one preset what the Linux library renders with it,
#   - the entry in "Apps & features" (the uninstall key),
#   - a second install over the first, with the other VST 2.4 build and
#     without CLAP: it replaces the first (one DLL, in the folder chosen
#     before), and a third with no options keeps the second's choices,
#   - a file that cannot be written: the install ends with exit code 5,
#     leaving an uninstall entry; an uninstall that cannot delete it ends
#     with 5 and keeps its entry for another run,
#   - the README's silent uninstall, as printed: every file gone, the key
#     gone, the files beside ours (another plug-in in the same folders) still
#     there,
#   - a fresh install that cannot write a file: exit code 5, the file
#     named on standard error, and its uninstaller removing what it wrote,
#   - the installer with its window, walked as a user does
#     (installer_page_probe.exe): the pages in the README's order, each
#     part's description fitting its box on the components page (measured,
#     and on screenshots, OUT_DIR/installer-components-N.png), the finish
#     page offering to open the manual, exit code 0; then Cancel: exit code 1.
#   windows-installer-check.sh WINE SETUP.exe LINUX_BUILD OUT_DIR PAGE_PROBE.exe
set -euo pipefail
wine=$1 setup=$2 linux=$3 out=$4 probe=$5
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEPREFIX=$PWD/$out/installer-prefix WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts; no winemenubuilder, which would copy
# the Start menu entries and their icons into this machine's own menus
# (~/.local/share) while the check goes on.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The DLL made unwritable below is writable again whatever happens (rm -rf
# could not remove the prefix otherwise).
locked="$WINEPREFIX/drive_c/Program Files/Steinberg/VSTPlugins/QTAP_x64.dll"
chattr -i "$locked" 2>/dev/null || true
rm -rf "$WINEPREFIX"
trap 'chattr -i "$locked" 2>/dev/null || true; "$wineserver" -k 2>/dev/null || true' EXIT
fail() { echo "installer check: $*"; exit 1; }
# A path under drive_c as Windows writes it.
winpath() { local p=${1//\//\\}; echo "C:\\$p"; }

version=$(sed -n 's/^set(QUILLET_VERSION \([0-9.]*\))$/\1/p' cmake/identity.cmake)
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Marrow Ledge Quillet K3'
c="$WINEPREFIX/drive_c"
# The README's example's VST 2 folder.
vst2_dir='Program Files/Steinberg/VSTPlugins'
bundle='Program Files/Common Files/VST3/Quillet K3.vst3'
program='Program Files/Marrow Ledge/Quillet K3'
start_menu='ProgramData/Microsoft/Windows/Start Menu/Programs/Quillet K3'

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
# What an install with VST 2.4 DLL $1 writes (without the CLAP plug-in: $2 =
# noclap), its VST 2 folder $vst2_dir.
expected_files() {
  {
    [ "${2:-}" = noclap ] || echo "Program Files/Common Files/CLAP/QuilletK3.clap"
    printf '%s\n' "$bundle/Contents/x86_64-win/Quillet K3.vst3" \
      "$bundle/Contents/Resources/moduleinfo.json" "$vst2_dir/$1" \
      "$program/Uninstall.exe" "$program/LICENSE.txt" "$program/THIRD-PARTY-NOTICES.txt" \
      "$program/quillet-host.exe" "$start_menu/Quillet K3 Manual.lnk" "$start_menu/quillet-host.lnk"
    for f in "$linux"/presets/*.fxp; do echo "$vst2_dir/Quillet K3 presets/$(basename "$f")"; done
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

# A block of the README for Windows' prompt, as printed: KIND (see
# scripts/package-checks/readme_commands.py), run in the folder $out/readme
# (which holds the setup under its README name); its output in $out/KIND.txt.
readme_block() {
  local text
  text=$(python3 scripts/package-checks/readme_commands.py README.md --print "$1")
  [ -n "$text" ] || fail "the README marks no $1 block"
  printf '%s\n' "$text" | sed 's/$/\r/' >"$out/readme/$1.bat"
  (cd "$out/readme" && "$wine" cmd.exe /c "$1.bat") >"$out/$1.txt" 2>&1 ||
    fail "the README's $1 commands failed: $(tr -d '\r' <"$out/$1.txt")"
  "$wineserver" -w
}
# A silent run that must stop before it writes anything: exit code $1, said
# on standard error with $2 in the line; the rest is the command line.
stops_with() {
  local want=$1 words=$2 status=0
  shift 2
  "$wine" "$@" 2>"$out/installer-stderr.txt" || status=$?
  "$wineserver" -w
  local said
  said=$(tr -d '\r' <"$out/installer-stderr.txt")
  [ "$status" = "$want" ] || fail "$* ended with $status, not $want: $said"
  [ "$want" = 2 ] || grep -qF "(exit code $want)" <<<"$said" && grep -qF -- "$words" <<<"$said" ||
    fail "$*: standard error does not say \"$words\" with the exit code: '$said'"
  diff "$out/installer-before.txt" <(files_now) >/dev/null || fail "$* wrote files"
  [ -n "$said" ] || said="no line (the stop is NSIS's own)"
  echo "exit code $status: $said"
}

echo "== a fresh Wine prefix"
"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w
# A machine with only C: (and Wine's Z:): no D: for the example of old.
rm -f "$WINEPREFIX/dosdevices/d:"
# Another plug-in in the folders ours go into: it must outlive our uninstall.
mkdir -p "$c/$vst2_dir" "$c/Program Files/Common Files/VST3"
echo other >"$c/$vst2_dir/Other Plug-in.dll"
echo other >"$c/Program Files/Common Files/VST3/Other Plug-in.vst3"
files_now >"$out/installer-before.txt"
rm -rf "$out/readme"
mkdir -p "$out/readme"
cp "$setup" "$out/readme/quillet-k3-$version-win64-setup.exe"

# Our own icon in a program ($1): every picture of quillet-k3.ico in it.
carries_icon() {
  python3 - "$1" "$(dirname "$setup")/installer/quillet-k3.ico" <<'EOF2' || fail "the icon of $1"
import os, struct, sys
exe, ico = (open(path, "rb").read() for path in sys.argv[1:3])
count = struct.unpack_from("<H", ico, 4)[0]
for i in range(count):
    width, height, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
    if ico[offset:offset + size] not in exe:
        sys.exit(f"the {width or 256} px picture of quillet-k3.ico is not in {sys.argv[1]}")
print(f"{os.path.basename(sys.argv[1])} carries all {count} pictures of quillet-k3.ico")
EOF2
}
echo "== our own icon, in the setup"
carries_icon "$setup"

echo "== silent runs that stop before they write anything"
stops_with 3 "unknown option /TYPO" "$setup" /S /TYPO
stops_with 3 "wants an absolute folder" "$setup" /S /VST2DIR=Plugins
stops_with 4 'cannot make the folder D:\Plugins\VST2' "$setup" /S '/VST2DIR=D:\Plugins\VST2'
python3 -c "import sys; d = bytearray(open(sys.argv[1], 'rb').read()); d[len(d) // 2] ^= 0xFF
open(sys.argv[2], 'wb').write(d)" "$setup" "$out/damaged-setup.exe"
stops_with 2 "" "$out/damaged-setup.exe" /S

echo "== the README's silent example, as printed, in Windows' prompt"
readme_block windows-install
[ "$(tr -d '\r' <"$out/windows-install.txt" | tail -1)" = 0 ] ||
  fail "the README's example did not end with 0: $(tr -d '\r' <"$out/windows-install.txt")"
check_installed QTAPG_x64.dll
check_entry QTAPG_x64.dll
# The uninstaller the install wrote, and the Start menu entries showing its icon.
carries_icon "$c/$program/Uninstall.exe"
for link in "$c/$start_menu"/*.lnk; do
  LC_ALL=C grep -aqF "Uninstall.exe" "$link" || x86_64-w64-mingw32-strings -el "$link" | grep -qF "Uninstall.exe" ||
    fail "$(basename "$link") does not take its icon from Uninstall.exe"
done
echo "the Start menu entries take their icon from Uninstall.exe"

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

echo "== the installed quillet-host's help names Windows files"
"$wine" "$host" --help >"$out/host-help.txt" 2>&1 || true
"$wine" "$host" render --help >>"$out/host-help.txt" 2>&1 || true
grep -qF "render    PLUGIN.dll" "$out/host-help.txt" && grep -qF "PLUGIN.vst3" "$out/host-help.txt" &&
  grep -qF "PLUGIN.clap" "$out/host-help.txt" || fail "quillet-host.exe's help: $(cat "$out/host-help.txt")"
! grep -E '\.so\b' "$out/host-help.txt" || fail "quillet-host.exe's help names .so files"
echo "quillet-host.exe --help: PLUGIN.dll, PLUGIN.vst3, PLUGIN.clap"

echo "== the installed presets under Wine against the Linux library's .fxp"
"$linux"/host/quillet-host render "$linux/QTAPG_x64.so" -o "$out/preset-linux.wav" \
  --preset "$linux/presets/tape_loop_edge.fxp" --format float --tail 3 >/dev/null
"$wine" "$host" render "$(winpath "$vst2_dir/QTAPG_x64.dll")" -o "$out/preset.wav" \
  --preset "$(winpath "$vst2_dir/Quillet K3 presets/tape_loop_edge.fxp")" --format float \
  --tail 3 >/dev/null || fail "the installed .fxp did not load"
echo -n "tape_loop_edge.fxp beside the DLL: "
python3 scripts/compare-wav.py "$out/preset.wav" "$out/preset-linux.wav" 1e-6

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
  "$wine" "$setup" /S 2>"$out/installer-stderr.txt" || status=$?
  "$wineserver" -w
  [ "$status" = 5 ] || fail "the install over a file it could not write ended with $status, not 5"
  grep -qF "(exit code 5)" "$out/installer-stderr.txt" || fail "the install did not say why it stopped"
  "$wine" reg query "$key" >/dev/null 2>&1 || fail "the stopped install left no uninstall key"
  echo "the install stopped with exit code 5, its uninstall entry kept: $(tr -d '\r' <"$out/installer-stderr.txt" | tail -1)"
  # Run in place (_?=, unquoted as NSIS wants it: hence a batch file) to wait
  # for it and see its exit code.
  printf '%s\r\n' '@echo off' \
    "\"$(winpath "$program")\\Uninstall.exe\" /S _?=$(winpath "$program")" \
    'exit /b %errorlevel%' >"$out/uninstall-in-place.bat"
  status=0
  "$wine" cmd.exe /c "${out//\//\\}\\uninstall-in-place.bat" || status=$?
  "$wineserver" -w
  chattr -i "$locked"
  [ "$status" = 5 ] || fail "the uninstall that could not delete a file ended with $status, not 5"
  "$wine" reg query "$key" >/dev/null 2>&1 || fail "that uninstall removed its entry"
  [ -f "$c/$program/Uninstall.exe" ] || fail "that uninstall removed the uninstaller"
  echo "the uninstall kept what it could not delete with exit code 5, its entry and itself"
else
  echo "skipped: this file system cannot make a file unwritable (chattr +i)"
fi

# Nothing of ours left, the other plug-ins kept.
check_removed() {
  diff "$out/installer-before.txt" <(files_now) || fail "the uninstall left files (>) or took others (<)"
  for dir in "$bundle" "$vst2_dir/Quillet K3 presets" "ProgramData/VST3 Presets/Marrow Ledge" \
    "Program Files/VSTPlugins/Quillet K3 presets" "$program" "Program Files/Marrow Ledge" \
    "$start_menu"; do
    [ ! -e "$c/$dir" ] || fail "the uninstall left $dir"
  done
  ! "$wine" reg query "$key" >/dev/null 2>&1 || fail "the uninstall key is still there"
}

echo "== the README's silent uninstall, as printed"
# The uninstaller goes on in a copy of itself: readme_block waits for every process.
readme_block windows-uninstall
check_removed
echo "uninstalled: no file, folder or key left, the other plug-ins kept"

echo "== a fresh install that cannot write a file (a folder in the DLL's place): exit code 5"
# The first install's choices went with it: the default VST 2 folder.
blocker="$c/Program Files/VSTPlugins/QTAPG_x64.dll"
mkdir -p "$blocker"
status=0
"$wine" "$setup" /S 2>"$out/installer-stderr.txt" || status=$?
"$wineserver" -w
said=$(tr -d '\r' <"$out/installer-stderr.txt")
[ "$status" = 5 ] || fail "the install that could not write a file ended with $status, not 5: $said"
grep -qF "cannot write $(winpath "Program Files/VSTPlugins")\QTAPG_x64.dll" <<<"$said" && grep -qF "(exit code 5)" <<<"$said" ||
  fail "the install did not name the file it could not write: '$said'"
echo "exit code 5: $said"
rmdir "$blocker"
# What it wrote before it stopped goes with its uninstaller.
"$wine" "$(winpath "$program")\\Uninstall.exe" /S
"$wineserver" -w
check_removed
echo "the stopped install's uninstaller removed what it wrote"

echo "== with its window, as a user meets it: the pages, the descriptions, the finish"
rm -f "$out"/components-*.bmp "$out"/finish.bmp "$out"/installer-components-*.png "$out"/installer-finish.png
"$wine" "$setup" & setup_run=$!
status=0
# Its waits are bounded; the limit here is for a probe stuck in a call.
timeout 600 "$wine" "$probe" walk "${out//\//\\}" >"$out/installer-pages.txt" 2>&1 || status=$?
# A probe that failed leaves the window open: closed, so that the wait ends.
[ "$status" = 0 ] || "$wineserver" -k
setup_status=0
wait "$setup_run" || setup_status=$?
"$wineserver" -w
tr -d '\r' <"$out/installer-pages.txt"
[ "$status" = 0 ] || fail "the installer's window is not as it should be"
[ "$setup_status" = 0 ] || fail "the installer finished with exit code $setup_status, not 0"
pages=$(tr -d '\r' <"$out/installer-pages.txt" | sed -n 's/^page: //p' | cut -d, -f1 | paste -sd'|')
[ "$pages" = "License Agreement|Choose Components|VST 2.4 Plug-in Folder|Choose Install Location|Installing|finish" ] ||
  fail "the pages come in another order than the README's: $pages"
# Every part's description looked at, each on its screenshot.
parts=$(tr -d '\r' <"$out/installer-pages.txt" | grep -c '^part [0-9]*: ' || true)
[ "$parts" = 6 ] || fail "the components page's descriptions: $parts of 6 parts looked at"
for shot in "$out"/components-{1..6}.bmp "$out"/finish.bmp; do
  [ -f "$shot" ] || fail "no screenshot $shot"
  convert "$shot" "$out/installer-$(basename "$shot" .bmp).png"
  rm "$shot"
done
echo "the six descriptions fit their box (installer-components-1..6.png), the finish page offers the manual"
# The window's install: the default folders.
saved_vst2_dir=$vst2_dir
vst2_dir='Program Files/VSTPlugins'
check_installed QTAPG_x64.dll
"$wine" "$(winpath "$program")\\Uninstall.exe" /S
"$wineserver" -w
check_removed
vst2_dir=$saved_vst2_dir
echo "installed from its window (exit code 0) and removed again"

echo "== Cancel in the window"
"$wine" "$setup" & setup_run=$!
timeout 600 "$wine" "$probe" cancel || { "$wineserver" -k; fail "could not cancel the installer"; }
setup_status=0
wait "$setup_run" || setup_status=$?
"$wineserver" -w
[ "$setup_status" = 1 ] || fail "the cancelled installer ended with $setup_status, not 1"
diff "$out/installer-before.txt" <(files_now) >/dev/null || fail "the cancelled installer wrote files"
echo "cancelled: exit code 1, nothing written"
