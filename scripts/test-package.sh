#!/usr/bin/env bash
# Builds what is packaged and checks the packages as a user gets them:
#   - a stripped Release build into build-package/, `cmake --install` into a
#     scratch folder (the layout under the prefix),
#   - the Debian package made by CPack, its file list, its dependencies and
#     lintian (no errors allowed),
#   - `apt-get install ./quillet-k3_*.deb` into this machine, then Ardour's
#     own VST scanner on the plug-ins Ardour's default search path holds (no
#     VST_PATH or LXVST_PATH given): it must find "Quillet K3", ID QTAP, in
#     /usr/lib/vst, and exactly one library of ours with that ID,
#   - lilv's lv2ls and lv2info on the default LV2 path (no LV2_PATH given): the
#     bundle in /usr/lib/lv2 is found with its panel and presets,
#   - `apt-get remove --purge`, after which none of the package's files is left,
#   - the Windows .zip made by CPack from the mingw-w64 cross build
#     (build-win/, reused when scripts/test-windows.sh built it) with the .fxp
#     presets the Release build wrote, and its listing.
# Installing needs root (CI) or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --package --windows

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_get() {
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@"
}
fail() {
  echo "test-package: $*" >&2
  exit 1
}
version=$(sed -n 's/^project(QuilletK3 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
scratch=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" = 1 ]; then apt_get remove --purge quillet-k3 >/dev/null 2>&1 || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

echo "== Release build of what is packaged"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF >/dev/null
cmake --build build-package -j"$(nproc)" >/dev/null

echo "== cmake --install --strip"
DESTDIR="$scratch/root" cmake --install build-package --prefix /opt/quillet --strip >/dev/null
lv2_files="manifest.ttl quillet-k3.ttl presets.ttl quillet_k3_dsp.so quillet_k3_ui.so"
presets=$(cd build-package/presets && ls -- *.fxp)
[ "$(wc -l <<<"$presets")" -ge 5 ] || fail "fewer than five .fxp presets in build-package/presets"
for f in lib/vst/QTAPG_x64.so lib/quillet-k3/QTAP_x64.so bin/vst2-host \
  share/doc/quillet-k3/LICENSE share/doc/quillet-k3/THIRD-PARTY-NOTICES \
  share/doc/quillet-k3/README.md share/doc/quillet-k3/copyright \
  $(for f in $lv2_files; do echo "lib/lv2/quillet-k3.lv2/$f"; done) \
  $(for f in $presets; do echo "share/quillet-k3/presets/$f"; done); do
  [ -f "$scratch/root/opt/quillet/$f" ] || fail "cmake --install left out $f"
done
[ ! -e "$scratch/root/opt/quillet/lib/vst/QTAP_x64.so" ] ||
  fail "both libraries (one unique ID) in one host folder"
for f in lib/vst/QTAPG_x64.so lib/quillet-k3/QTAP_x64.so bin/vst2-host \
  lib/lv2/quillet-k3.lv2/quillet_k3_dsp.so lib/lv2/quillet-k3.lv2/quillet_k3_ui.so; do
  file -b "$scratch/root/opt/quillet/$f" | grep -q ", stripped" || fail "$f is not stripped"
done
echo "installed under the prefix: $(cd "$scratch/root/opt/quillet" && find . -type f | LC_ALL=C sort | tr '\n' ' ')"

echo "== Debian package"
rm -f build-package/quillet-k3_*.deb
(cd build-package && cpack -G DEB >/dev/null)
deb=build-package/quillet-k3_${version}_amd64.deb
[ -f "$deb" ] || fail "cpack made no $deb"
listing=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $NF}' | LC_ALL=C sort)
echo "$listing"
expected="-rw-r--r-- ./usr/lib/quillet-k3/QTAP_x64.so
-rw-r--r-- ./usr/lib/vst/QTAPG_x64.so
-rw-r--r-- ./usr/share/doc/quillet-k3/LICENSE
-rw-r--r-- ./usr/share/doc/quillet-k3/README.md
-rw-r--r-- ./usr/share/doc/quillet-k3/THIRD-PARTY-NOTICES
-rw-r--r-- ./usr/share/doc/quillet-k3/changelog.gz
-rw-r--r-- ./usr/share/doc/quillet-k3/copyright
-rwxr-xr-x ./usr/bin/vst2-host"
for f in $lv2_files; do expected+=$'\n'"-rw-r--r-- ./usr/lib/lv2/quillet-k3.lv2/$f"; done
for f in $presets; do expected+=$'\n'"-rw-r--r-- ./usr/share/quillet-k3/presets/$f"; done
# Exactly these files.
[ "$listing" = "$(LC_ALL=C sort <<<"$expected")" ] ||
  fail "the package holds other files: $(diff <(LC_ALL=C sort <<<"$expected") - <<<"$listing")"
if grep -v ' \./usr/' <<<"$listing"; then fail "files outside /usr"; fi
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for want in libc6 libx11-6 libsndfile1; do
  grep -qE "(^|, )$want( |,|$)" <<<"$depends" || fail "Depends lacks $want"
done
echo "-- lintian (errors fail, warnings listed)"
lint_rc=0
lint=$(lintian --fail-on error "$deb" 2>&1) || lint_rc=$?
grep -v "running with root privileges" <<<"$lint" || true
[ "$lint_rc" = 0 ] || fail "lintian reports errors"

echo "== apt-get install ./$(basename "$deb")"
if dpkg-query -W -f='${Status}' quillet-k3 2>/dev/null | grep -q "install ok installed"; then
  apt_get remove --purge quillet-k3 >/dev/null
fi
installed=1
apt_get install "./$deb" >/dev/null 2>&1 || apt_get install "./$deb"
dpkg-query -W -f='${Package} ${Version} ${Status}\n' quillet-k3
dpkg -L quillet-k3 | LC_ALL=C sort >"$scratch/files"
# Only the C library, libm and Xlib: nothing a user's machine lacks.
for lib in /usr/lib/vst/QTAPG_x64.so /usr/lib/quillet-k3/QTAP_x64.so \
  /usr/lib/lv2/quillet-k3.lv2/quillet_k3_dsp.so /usr/lib/lv2/quillet-k3.lv2/quillet_k3_ui.so; do
  needed=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | LC_ALL=C sort | tr '\n' ' ')
  echo "$lib needs: $needed"
  for n in $needed; do
    case "$n" in libc.so.6 | libm.so.6 | ld-linux-x86-64.so.2 | libX11.so.6) ;; *) fail "$lib needs $n" ;; esac
  done
done
/usr/bin/vst2-host info /usr/lib/vst/QTAPG_x64.so | grep -q "Quillet K3" ||
  fail "the installed vst2-host does not load the installed plug-in"

echo "== Ardour's VST scanner on Ardour's default search path"
ardour_lib=/usr/lib/ardour7
scanner=$ardour_lib/ardour-vst-scanner
[ -x "$scanner" ] || fail "no $scanner (package ardour)"
# The folders Ardour searches for Linux VST plug-ins when no path is
# configured, as compiled into libardour.
search_path=$(strings "$ardour_lib"/libardour.so.* | grep -m1 -E '^[^ ]*lxvst[^ ]*:/usr/lib/vst(:|$)' || true)
[ -n "$search_path" ] || fail "no default VST search path found in libardour"
echo "Ardour's default path: $search_path"
# Ardour looks for *.so in each folder and below; ours are the files of the package.
IFS=: read -r -a folders <<<"$search_path"
ours=()
for folder in "${folders[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r so; do
    grep -qxF "$so" "$scratch/files" && ours+=("$so")
  done < <(find -L "$folder" -name '*.so' -type f | LC_ALL=C sort)
done
echo "our libraries in that path: ${ours[*]:-none}"
[ "${#ours[@]}" = 1 ] || fail "expected exactly one library of ours in Ardour's path"
# A private home: the scanner writes its cache (.v2i) under ~/.cache/ardour7/vst.
mkdir -p "$scratch/home"
scan() {
  env -u VST_PATH -u LXVST_PATH HOME="$scratch/home" XDG_CACHE_HOME="$scratch/home/.cache" \
    LD_LIBRARY_PATH="$ardour_lib" "$scanner" -f -v "$1" 2>&1
}
qtap_id=$(python3 -c "print(int.from_bytes(b'QTAP', 'big'))")
for so in "${ours[@]}"; do
  report=$(scan "$so")
  # The scanner prints the ID's bytes in memory order ('PATQ' on x86); the
  # cache holds it as a number.
  grep -m1 "Found Plugin" <<<"$report"
  grep -m1 "<VST2Info" <<<"$report"
  grep -qF "Found Plugin: 'PATQ' Quillet K3" <<<"$report" || { echo "$report"; fail "$so not found"; }
  grep -qF "id=\"$qtap_id\" name=\"Quillet K3\" creator=\"Marrow Ledge\"" <<<"$report" ||
    fail "$so: unexpected identity"
  grep -qF 'n_inputs="2" n_outputs="2"' <<<"$report" || fail "$so: not stereo"
  grep -qF 'has_editor="1"' <<<"$report" || fail "$so: no editor"
done
[ "${ours[0]}" = /usr/lib/vst/QTAPG_x64.so ] || fail "the editor build is not in /usr/lib/vst"
find "$scratch/home/.cache/ardour7/vst" -name '*.v2i' | grep -q . || fail "no scanner cache written"
# The library kept outside the search path is a sound plug-in too.
report=$(scan /usr/lib/quillet-k3/QTAP_x64.so)
grep -m1 "Found Plugin" <<<"$report"
grep -qF "id=\"$qtap_id\" name=\"Quillet K3 (no GUI)\"" <<<"$report" || fail "QTAP_x64.so not found"
grep -qF 'has_editor="0"' <<<"$report" || fail "QTAP_x64.so claims an editor"

echo "== lv2ls and lv2info on the default LV2 path"
uri=urn:marrowledge:quillet-k3
lv2ls_out=$(env -u LV2_PATH HOME="$scratch/home" lv2ls)
grep -qxF "$uri" <<<"$lv2ls_out" || fail "lv2ls does not list $uri"
info=$(env -u LV2_PATH HOME="$scratch/home" lv2info "$uri" 2>"$scratch/lv2info.err")
[ ! -s "$scratch/lv2info.err" ] || fail "lv2info wrote to stderr: $(cat "$scratch/lv2info.err")"
grep -m1 -E '^\s+Name:' <<<"$info"
grep -qE "^\s+Bundle:\s+file:///usr/lib/lv2/quillet-k3.lv2/$" <<<"$info" ||
  fail "lv2info does not show the bundle in /usr/lib/lv2"
grep -qE "^\s+Binary:\s+file:///usr/lib/lv2/quillet-k3.lv2/quillet_k3_dsp.so$" <<<"$info" ||
  fail "lv2info shows no DSP library"
grep -qF "$uri#ui" <<<"$info" || fail "lv2info shows no panel"
grep -qF "Tape Loop on the Edge" <<<"$info" || fail "lv2info shows no factory presets"
shown_presets=$(sed -n '/^\s*Presets:/,/^\s*$/p' <<<"$info" | grep -c '^\s*[^[:space:]]' || true)
[ "$((shown_presets - 1))" -ge 5 ] || fail "lv2info shows fewer than five presets"
echo "lv2info: $(grep -c '^\s*Port [0-9]*:' <<<"$info") ports, $((shown_presets - 1)) presets"

echo "== apt-get remove --purge quillet-k3"
apt_get remove --purge quillet-k3 >/dev/null
installed=0
! dpkg-query -W -f='${Status}' quillet-k3 2>/dev/null | grep -q "install ok installed" ||
  fail "still installed"
left=0
while IFS= read -r path; do
  case "$path" in /. | /usr | /usr/bin | /usr/lib | /usr/share | /usr/share/doc) continue ;; esac
  # Shared folders (/usr/lib/vst, /usr/lib/lv2) may stay when others use them.
  if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path"; left=1; fi
done <"$scratch/files"
for d in /usr/lib/quillet-k3 /usr/share/doc/quillet-k3 /usr/lib/lv2/quillet-k3.lv2 \
  /usr/share/quillet-k3; do
  [ ! -e "$d" ] || { echo "left behind: $d"; left=1; }
done
[ "$left" = 0 ] || fail "files left after removal"
echo "removed: $(wc -l <"$scratch/files") paths, none left"

echo "== Windows .zip from the mingw-w64 cross build"
# The .fxp files come from the Linux build (the generator runs there).
fxp_dir=-DQUILLET_FXP_PRESET_DIR=$PWD/build-package/presets
if [ -f build-win/CMakeCache.txt ]; then
  cmake build-win "$fxp_dir" >/dev/null  # scripts/test-windows.sh configured and built it
else
  cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF "$fxp_dir" \
    >/dev/null
fi
cmake --build build-win -j"$(nproc)" >/dev/null
rm -f build-win/quillet-k3-*-win64.zip
(cd build-win && cpack -G ZIP >/dev/null)
zip=build-win/quillet-k3-${version}-win64.zip
[ -f "$zip" ] || fail "cpack made no $zip"
python3 - "$zip" "quillet-k3-${version}-win64" build-package/presets <<'EOF'
import os, sys, zipfile
path, top, preset_dir = sys.argv[1], sys.argv[2], sys.argv[3]
with zipfile.ZipFile(path) as z:
    names = sorted(n for n in z.namelist() if not n.endswith("/"))
    for n in names:
        print(f"{z.getinfo(n).file_size:>9}  {n}")
    want = {f"{top}/{n}" for n in ("QTAPG_x64.dll", "QTAP_x64.dll", "README-Windows.txt",
                                   "LICENSE.txt", "THIRD-PARTY-NOTICES.txt")}
    presets = sorted(f for f in os.listdir(preset_dir) if f.endswith(".fxp"))
    if len(presets) < 5:
        sys.exit(f"fewer than five presets in {preset_dir}")
    want |= {f"{top}/presets/{p}" for p in presets}
    missing, extra = want - set(names), set(names) - want
    # Loose files beside the DLLs must be ours; a folder another part of the
    # build installs (a plug-in bundle, say) is only reported.
    stray = sorted(n for n in extra if n.count("/") == 1)
    if missing or stray:
        sys.exit(f"zip listing: missing {sorted(missing)}, unexpected {stray}")
    for n in sorted(extra):
        print(f"also in the zip: {n}")
    text = z.read(f"{top}/README-Windows.txt")
    if b"\n" in text.replace(b"\r\n", b"") or b"ONE of the two DLLs" not in text:
        sys.exit("README-Windows.txt: not CRLF text saying to install one DLL")
    for dll in ("QTAPG_x64.dll", "QTAP_x64.dll"):
        if z.read(f"{top}/{dll}")[:2] != b"MZ":
            sys.exit(f"{dll} is not a Windows module")
print(f"zip listing as expected ({len(presets)} presets)")
EOF
echo "Package checks passed"
