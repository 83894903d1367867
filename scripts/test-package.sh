#!/usr/bin/env bash
# Builds the packages as the README tells a musician to, and checks them as a
# user gets them:
#   - the README's Debian install command (marked `<!-- ci: install-deb -->`)
#     builds every edition in build-package/, makes the .deb and installs it
#     into this machine; before that, it refuses to run beside a stray copy,
#   - every edition the build declares (build-package/editions.txt, from
#     cmake/editions.cmake) was built, is in the package and, installed, is
#     found by its host's scanner or by lilv, or runs (the standalone JACK
#     program on a JACK server of its own; scripts/package-checks/edition-NAME.sh),
#   - the package's files, dependencies and lintian: no errors, no missing or
#     broken manual page; the README and guides it ships show only pictures
#     it ships and link only to what it ships,
#   - the host commands of the README and the guides in doc/, run as printed
#     (scripts/package-checks/readme_commands.py),
#   - `cmake --install`: into a scratch folder (layout, stripped), and the stop
#     beside the installed package (into /usr/local; into a folder on LV2_PATH,
#     which goes on when told to),
#   - the installed manual: the build's pages, named by the manual page and the
#     README, read in headless Chromium (tests/doc/check_manual.py),
#   - a Release configure without the LV2 headers fails naming lv2-dev, and
#     configures with the edition switched off; one without gnuplot fails
#     naming gnuplot-nox,
#   - `apt-get remove --purge`, after which none of the package's files is left,
#   - the Windows .zip made by the README's command, and its listing, and the
#     installer beside it.
# Installing needs root (CI) or sudo. Prints what each part took.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --package --windows

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_get() {
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@"
}
fail() {
  echo "test-package: $*" >&2
  exit 1
}
# The documents whose marked commands run here, in this order.
documents=(README.md doc/packaging.md doc/development.md)
readme_block() {
  python3 scripts/package-checks/readme_commands.py "${documents[@]}" --print "$1"
}
times=()
clock=$(date +%s.%N)
took() {  # took PART: the time since the last call
  local now
  now=$(date +%s.%N)
  times+=("$(awk -v a="$now" -v b="$clock" -v what="$1" 'BEGIN { printf "%6.1f s  %s", a - b, what }')")
  clock=$now
}
scratch=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" = 1 ]; then apt_get remove --purge quillet-k3 >/dev/null 2>&1 || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

echo "== The README's install command"
install_command=$(readme_block install-deb)
[ -n "$install_command" ] || fail "${documents[*]} mark no install-deb command"
echo "$install_command"
# It stops before it changes anything when a copy sits in a host folder.
mkdir -p "$scratch/stray-home/.vst"
touch "$scratch/stray-home/.vst/QTAPG_x64.so"
if out=$(HOME="$scratch/stray-home" bash -e -c "$install_command" 2>&1); then
  fail "the install command ran beside a stray copy in ~/.vst"
fi
grep -qF "$scratch/stray-home/.vst/QTAPG_x64.so" <<<"$out" || fail "no stray copy named: $out"
took "install command stops beside a stray copy"
if dpkg-query -W -f='${Status}' quillet-k3 2>/dev/null | grep -q "install ok installed"; then
  apt_get remove --purge quillet-k3 >/dev/null
fi
installed=1
bash -e -c "$install_command" >"$scratch/install.log" 2>&1 ||
  { tail -30 "$scratch/install.log"; fail "the README's install command failed"; }
grep -E '^(Editions|Installed):' "$scratch/install.log"
dpkg-query -W -f='${Status}' quillet-k3 | grep -q "install ok installed" ||
  fail "the install command left quillet-k3 uninstalled"
version=$(dpkg-query -W -f='${Version}' quillet-k3)
deb=build-package/quillet-k3_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"
took "install command: deps, Release build, cpack, apt-get install"

echo "== The Debian package"
# Permissions and path (paths may hold spaces: "Quillet K3.vst3").
listing=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/' |
  sed -E 's/^([^ ]+) +[^ ]+ +[^ ]+ +[^ ]+ +[^ ]+ +/\1 /' | LC_ALL=C sort)
echo "$listing"
lv2_files="manifest.ttl quillet-k3.ttl presets.ttl quillet_k3_dsp.so quillet_k3_ui.so"
vst3_bundle="lib/vst3/Quillet K3.vst3"
vst3_files=("$vst3_bundle/Contents/$(uname -m)-linux/Quillet K3.so"
  "$vst3_bundle/Contents/Resources/moduleinfo.json")
presets=$(cd build-package/presets && ls -- *.fxp)
[ "$(wc -l <<<"$presets")" -ge 5 ] || fail "fewer than five .fxp presets in build-package/presets"
# The README and the guides as shipped show their pictures from their own
# folder and link only to what lies there; the manual is the build's.
doc=./usr/share/doc/quillet-k3
shipped_docs="README.md development.md packaging.md"
mkdir -p "$scratch/shipped"
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$scratch/shipped" "$doc"
pictures=$(cd "$scratch/shipped/$doc" && grep -hoE '!\[[^]]*\]\([^) ]+' $shipped_docs |
  sed 's/.*(//' | LC_ALL=C sort -u)
(cd "$scratch/shipped/$doc" && python3 "$OLDPWD/tests/doc/check_doc_links.py" $shipped_docs) ||
  fail "the shipped documents link to what the package lacks"
[ -f build-package/manual/index.html ] || fail "the package build made no manual"
manual_files=$(cd build-package/manual && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
expected="-rw-r--r-- ./usr/lib/quillet-k3/QTAP_x64.so
-rw-r--r-- ./usr/lib/vst/QTAPG_x64.so
-rw-r--r-- ./usr/lib/clap/QuilletK3.clap
-rw-r--r-- $doc/LICENSE
-rw-r--r-- $doc/THIRD-PARTY-NOTICES
-rw-r--r-- $doc/changelog.gz
-rw-r--r-- $doc/copyright
-rw-r--r-- ./usr/share/man/man1/quillet-host.1.gz
lrwxrwxrwx ./usr/share/man/man1/vst2-host.1.gz -> quillet-host.1.gz
-rwxr-xr-x ./usr/bin/quillet-host
lrwxrwxrwx ./usr/bin/vst2-host -> quillet-host
-rwxr-xr-x ./usr/bin/quillet-k3
-rw-r--r-- ./usr/share/man/man1/quillet-k3.1.gz
-rw-r--r-- ./usr/lib/systemd/user/quillet-k3.service"
for f in $shipped_docs; do expected+=$'\n'"-rw-r--r-- $doc/$f"; done
for f in $pictures; do
  case "$f" in */* | *:*) fail "a shipped document shows $f, not a picture beside it" ;; esac
  expected+=$'\n'"-rw-r--r-- $doc/$f"
done
for f in $manual_files; do expected+=$'\n'"-rw-r--r-- $doc/manual/$f"; done
for f in $lv2_files; do expected+=$'\n'"-rw-r--r-- ./usr/lib/lv2/quillet-k3.lv2/$f"; done
for f in "${vst3_files[@]}"; do expected+=$'\n'"-rw-r--r-- ./usr/$f"; done
for f in $presets; do expected+=$'\n'"-rw-r--r-- ./usr/share/quillet-k3/presets/$f"; done
# Exactly these files.
[ "$listing" = "$(LC_ALL=C sort <<<"$expected")" ] ||
  fail "the package holds other files: $(diff <(LC_ALL=C sort <<<"$expected") - <<<"$listing")"
if grep -v ' \./usr/' <<<"$listing"; then fail "files outside /usr"; fi
echo "the shipped documents show: ${pictures:-no picture}; the manual: $(wc -w <<<"$manual_files") files"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for want in libc6 libx11-6 libsndfile1 libjack-jackd2-0; do
  grep -qE "(^|, )$want( |,|$)" <<<"$depends" || fail "Depends lacks $want"
done
# What apt show prints: the synopsis and the long text each name every
# edition, the standalone program and the manual.
description=$(dpkg-deb -f "$deb" Description)
synopsis=$(head -n 1 <<<"$description")
long_text=$(tail -n +2 <<<"$description" | tr -s ' \n' '  ')
echo "Description: $synopsis"
[ "${#synopsis}" -le 80 ] || fail "the synopsis is longer than 80 characters"
for want in "VST 2.4" VST3 CLAP LV2 JACK manual; do
  grep -qF "$want" <<<"$synopsis" || fail "the synopsis does not name $want"
  grep -qF "$want" <<<"$long_text" || fail "the long description does not name $want"
done
maintainer=$(dpkg-deb -f "$deb" Maintainer)
echo "Maintainer: $maintainer"
case "$maintainer" in *@*.example* | *@example.* | "") fail "placeholder maintainer: $maintainer" ;; esac
echo "-- lintian (errors, and any missing or broken manual page, fail; the rest is listed)"
lint=$(lintian "$deb" 2>&1 | grep -v "running with root privileges" || true)
[ -z "$lint" ] || echo "$lint"
if grep -E '^E: |no-manual-page|manpage-|groff-message' <<<"$lint"; then
  fail "lintian reports errors or manual-page problems"
fi
took "package listing, dependencies, lintian"

echo "== The installed package"
dpkg-query -W -f='${Package} ${Version} ${Status}\n' quillet-k3
dpkg -L quillet-k3 | LC_ALL=C sort >"$scratch/files"
files=$scratch/files
# Only the C library, libm and Xlib: nothing a user's machine lacks.
for lib in /usr/lib/vst/QTAPG_x64.so /usr/lib/quillet-k3/QTAP_x64.so \
  /usr/lib/lv2/quillet-k3.lv2/quillet_k3_dsp.so /usr/lib/lv2/quillet-k3.lv2/quillet_k3_ui.so \
  /usr/lib/clap/QuilletK3.clap "/usr/${vst3_files[0]}"; do
  needed=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | LC_ALL=C sort | tr '\n' ' ')
  echo "$lib needs: $needed"
  for n in $needed; do
    case "$n" in libc.so.6 | libm.so.6 | ld-linux-*.so.* | libX11.so.6) ;; *) fail "$lib needs $n" ;; esac
  done
done
/usr/bin/quillet-host info /usr/lib/vst/QTAPG_x64.so | grep -q "Quillet K3" ||
  fail "the installed quillet-host does not load the installed plug-in"
man -w quillet-host | grep -qx /usr/share/man/man1/quillet-host.1.gz || fail "man does not find quillet-host(1)"
# The program's earlier name still runs it and finds its page.
/usr/bin/vst2-host info /usr/lib/vst/QTAPG_x64.so | grep -q "Quillet K3" ||
  fail "the earlier name vst2-host does not run quillet-host"
# man follows the page's link to the page itself.
man -w vst2-host | grep -qx /usr/share/man/man1/quillet-host.1.gz || fail "man does not find vst2-host(1)"
man -w quillet-k3 | grep -qx /usr/share/man/man1/quillet-k3.1.gz || fail "man does not find quillet-k3(1)"

echo "== The installed manual"
manual=/usr/share/doc/quillet-k3/manual
# Every page the build wrote, and the manual page and the README point to it.
diff <(cd build-package/manual && find . -type f | LC_ALL=C sort) \
  <(cd "$manual" && find . -type f | LC_ALL=C sort) || fail "the installed manual differs from the build's"
zcat /usr/share/man/man1/quillet-host.1.gz | grep -qF '/usr/share/doc/quillet\-k3/manual/index.html' ||
  fail "quillet-host(1) does not name the manual"
grep -qF "$manual/index.html" /usr/share/doc/quillet-k3/README.md || fail "the README does not name the manual"
python3 tests/doc/check_manual.py "$manual" --screenshots build-package/manual-check ||
  fail "the installed manual does not read as it should"
took "the installed manual in Chromium"

echo "== Every edition, installed, in its host's scanner or lilv"
editions=0
while IFS=$'\t' read -r name state title folder; do
  [ "$state" = built ] || fail "the package build lacks the $title ($name: $state)"
  [ -f "scripts/package-checks/edition-$name.sh" ] ||
    fail "no check for the $title (scripts/package-checks/edition-$name.sh)"
  grep -q "^/usr/$folder/." "$files" || fail "the package holds nothing in /usr/$folder ($title)"
  echo "-- $title ($name)"
  # shellcheck disable=SC1090
  (source "scripts/package-checks/edition-$name.sh" && check_edition) || fail "$title: check failed"
  editions=$((editions + 1))
done <build-package/editions.txt
[ "$editions" -ge 2 ] || fail "fewer than two editions in build-package/editions.txt"
took "every edition in its host's scanner or lilv"

echo "== The host commands of the README and doc/, as printed"
python3 scripts/package-checks/readme_commands.py "${documents[@]}" --list
mkdir -p "$scratch/readme-home"
# A home of their own (caches, ~/.lv2), no plug-in paths from outside, and a
# JACK server name of their own beside any other on this machine.
env -u LV2_PATH -u VST_PATH -u LXVST_PATH HOME="$scratch/readme-home" \
  JACK_DEFAULT_SERVER="quillet-readme-$$" \
  scripts/with-display.sh python3 scripts/package-checks/readme_commands.py "${documents[@]}" ||
  fail "a marked command failed as printed"
took "host commands of the README and doc/"

echo "== cmake --install"
DESTDIR="$scratch/root" cmake --install build-package --prefix /opt/quillet --strip >/dev/null
for f in lib/vst/QTAPG_x64.so lib/quillet-k3/QTAP_x64.so bin/quillet-host lib/clap/QuilletK3.clap \
  bin/quillet-k3 share/man/man1/quillet-k3.1.gz lib/systemd/user/quillet-k3.service \
  share/man/man1/quillet-host.1.gz share/doc/quillet-k3/README.md \
  $(for f in $lv2_files; do echo "lib/lv2/quillet-k3.lv2/$f"; done) \
  $(for f in $presets; do echo "share/quillet-k3/presets/$f"; done); do
  [ -f "$scratch/root/opt/quillet/$f" ] || fail "cmake --install left out $f"
done
for f in "${vst3_files[@]}" "${vst3_presets[@]/#/$vst3_preset_dir/}"; do
  [ -f "$scratch/root/opt/quillet/$f" ] || fail "cmake --install left out $f"
done
file -b "$scratch/root/opt/quillet/${vst3_files[0]}" | grep -q ", stripped" ||
  fail "${vst3_files[0]} is not stripped"
[ ! -e "$scratch/root/opt/quillet/lib/vst/QTAP_x64.so" ] ||
  fail "both libraries (one unique ID) in one host folder"
for f in lib/vst/QTAPG_x64.so lib/quillet-k3/QTAP_x64.so bin/quillet-host bin/quillet-k3 \
  lib/lv2/quillet-k3.lv2/quillet_k3_dsp.so lib/lv2/quillet-k3.lv2/quillet_k3_ui.so \
  lib/clap/QuilletK3.clap; do
  file -b "$scratch/root/opt/quillet/$f" | grep -q ", stripped" || fail "$f is not stripped"
done
echo "-- beside the installed package: stops before writing, unless told to go on"
ours_in_usr_local=(/usr/local/lib/vst/QTAPG_x64.so /usr/local/lib/lv2/quillet-k3.lv2)
if [ -e "${ours_in_usr_local[0]}" ] || [ -e "${ours_in_usr_local[1]}" ]; then
  echo "(a copy is already in /usr/local: that case is not tried)"
else
  if out=$(cmake --install build-package --prefix /usr/local 2>&1); then
    xargs rm -f <build-package/install_manifest.txt
    fail "cmake --install into /usr/local went on beside the package"
  fi
  grep -F "(the package has" <<<"$out"
  grep -qF "QUILLET_INSTALL_BESIDE_PACKAGE=1" <<<"$out" || fail "no way on named: $out"
  grep -qF "/usr/local/lib/vst (the package has /usr/lib/vst/QTAPG_x64.so)" <<<"$out" ||
    fail "the clash is not named: $out"
  for f in "${ours_in_usr_local[@]}" /usr/local/share/quillet-k3; do
    [ ! -e "$f" ] || fail "cmake --install wrote $f before it stopped"
  done
fi
beside=$scratch/beside
if LV2_PATH="$beside/lib/lv2" cmake --install build-package --prefix "$beside" >"$scratch/out" 2>&1; then
  fail "cmake --install into a folder on LV2_PATH went on beside the package"
fi
grep -qF "$beside/lib/lv2 (the package has /usr/lib/lv2/quillet-k3.lv2)" "$scratch/out" ||
  fail "the clash is not named: $(cat "$scratch/out")"
[ ! -e "$beside" ] || fail "cmake --install wrote into $beside before it stopped"
QUILLET_INSTALL_BESIDE_PACKAGE=1 LV2_PATH="$beside/lib/lv2" \
  cmake --install build-package --prefix "$beside" >"$scratch/out" 2>&1 ||
  fail "QUILLET_INSTALL_BESIDE_PACKAGE=1 did not go on: $(cat "$scratch/out")"
[ -f "$beside/lib/lv2/quillet-k3.lv2/manifest.ttl" ] || fail "told to go on, it installed nothing"
took "cmake --install: layout, stop beside the package"

echo "== A Release build without the LV2 headers"
mkdir -p "$scratch/empty-include"
if out=$(cmake -S . -B "$scratch/build-no-lv2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF \
  -DQUILLET_LV2_INCLUDE_DIR="$scratch/empty-include" 2>&1); then
  fail "a Release build configured without the LV2 headers"
fi
grep -A4 "CMake Error" <<<"$out" | head -6
tr -s ' \n' ' ' <<<"$out" | grep -qF "Install the Debian package lv2-dev (sudo apt-get install lv2-dev)" ||
  fail "the failure does not name lv2-dev: $out"
tr -s ' \n' ' ' <<<"$out" | grep -qF -- "-DQUILLET_EDITION_LV2=OFF" || fail "no way to switch LV2 off named"
cmake -S . -B "$scratch/build-no-lv2" -DQUILLET_EDITION_LV2=OFF >/dev/null ||
  fail "does not configure with the LV2 edition switched off"
grep -q $'^lv2\toff\t' "$scratch/build-no-lv2/editions.txt" || fail "LV2 not listed as off"
took "configure without LV2 headers, and with LV2 off"

echo "== A Release build without gnuplot"
if out=$(cmake -S . -B "$scratch/build-no-gnuplot" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF -DQUILLET_GNUPLOT=/nonexistent/gnuplot 2>&1); then
  fail "a Release build configured without gnuplot"
fi
grep -A4 "CMake Error" <<<"$out" | head -6
tr -s ' \n' ' ' <<<"$out" | grep -qF "Install the Debian package gnuplot-nox (sudo apt-get install gnuplot-nox)" ||
  fail "the failure does not name gnuplot-nox: $out"
tr -s ' \n' ' ' <<<"$out" | grep -qF -- "-DQUILLET_MANUAL=OFF" || fail "no way to leave the manual out named"
took "configure without gnuplot"

echo "== apt-get remove --purge quillet-k3"
apt_get remove --purge quillet-k3 >/dev/null
installed=0
! dpkg-query -W -f='${Status}' quillet-k3 2>/dev/null | grep -q "install ok installed" ||
  fail "still installed"
left=0
while IFS= read -r path; do
  case "$path" in /. | /usr | /usr/bin | /usr/lib | /usr/share | /usr/share/doc) continue ;; esac
  # Shared folders (/usr/lib/vst, /usr/lib/lv2, man1) may stay when others use them.
  if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path"; left=1; fi
done <"$files"
for d in /usr/lib/quillet-k3 /usr/share/doc/quillet-k3 /usr/lib/lv2/quillet-k3.lv2 \
  /usr/share/quillet-k3 /usr/lib/clap/QuilletK3.clap "/usr/$vst3_bundle"; do
  [ ! -e "$d" ] || { echo "left behind: $d"; left=1; }
done
[ "$left" = 0 ] || fail "files left after removal"
echo "removed: $(wc -l <"$files") paths, none left"
took "apt-get remove --purge"

echo "== The README's Windows archive command"
zip_command=$(readme_block package-zip)
[ -n "$zip_command" ] || fail "${documents[*]} mark no package-zip command"
echo "$zip_command"
bash -e -c "$zip_command" >"$scratch/zip.log" 2>&1 ||
  { tail -20 "$scratch/zip.log"; fail "the README's Windows archive command failed"; }
zip=build-win/quillet-k3-${version}-win64.zip
[ -f "$zip" ] || fail "no $zip"
python3 - "$zip" "quillet-k3-${version}-win64" build-package/presets <<'EOF'
import os, sys, zipfile
path, top, preset_dir = sys.argv[1], sys.argv[2], sys.argv[3]
with zipfile.ZipFile(path) as z:
    names = sorted(n for n in z.namelist() if not n.endswith("/"))
    for n in names:
        print(f"{z.getinfo(n).file_size:>9}  {n}")
    want = {f"{top}/{n}" for n in ("QTAPG_x64.dll", "QTAP_x64.dll", "QuilletK3.clap",
                                   "README-Windows.txt", "LICENSE.txt",
                                   "THIRD-PARTY-NOTICES.txt",
                                   "Quillet K3.vst3/Contents/x86_64-win/Quillet K3.vst3",
                                   "Quillet K3.vst3/Contents/Resources/moduleinfo.json")}
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
    if b"Common Files\\VST3" not in text:
        sys.exit("README-Windows.txt does not say where the VST3 bundle goes")
    for dll in ("QTAPG_x64.dll", "QTAP_x64.dll", "QuilletK3.clap",
                "Quillet K3.vst3/Contents/x86_64-win/Quillet K3.vst3"):
        if z.read(f"{top}/{dll}")[:2] != b"MZ":
            sys.exit(f"{dll} is not a Windows module")
print(f"zip listing as expected ({len(presets)} presets)")
EOF
# The installer beside it (scripts/test-windows.sh installs it under Wine),
# with the package build's presets and manual.
setup=build-win/quillet-k3-${version}-win64-setup.exe
[ -f "$setup" ] || fail "no $setup beside the zip"
[ "$(head -c 2 "$setup")" = MZ ] || fail "$setup is not a Windows program"
diff <(cd build-package/presets && ls -- *.fxp) <(cd build-win/installer/files/fxp && ls) ||
  fail "the installer's .fxp presets are not build-package's"
diff -r build-package/manual build-win/installer/files/host/manual ||
  fail "the installer's manual is not build-package's"
echo "$setup: $(stat -c %s "$setup") bytes"
took "Windows archive and installer (cross build reused when there)"
echo "== Times"
printf '%s\n' "${times[@]}"
echo "Package checks passed"
