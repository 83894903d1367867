#!/usr/bin/env bash
# Debian and Ubuntu: builds Quillet K3 with every edition this tree makes and
# installs it as the Debian package quillet-k3, in one step:
#   - stops first if a copy from elsewhere (cmake --install, a hand copy) sits
#     in a folder hosts search, where hosts would find two plug-ins with one
#     ID (--anyway goes on),
#   - installs what the build needs (compiler, CMake, the LV2 headers, the
#     packaging tools),
#   - builds a stripped Release build in build-package/, where a missing
#     edition stops the build with the name of the package it needs,
#   - makes build-package/quillet-k3_VERSION_ARCH.deb and installs it with
#     apt-get (again: it is replaced).
#   bash scripts/install-package.sh [--no-install] [--anyway]
# --no-install makes the package without installing it. apt-get needs root
# or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
install=1
anyway=0
for arg in "$@"; do
  case "$arg" in
    --no-install) install=0 ;;
    --anyway) anyway=1 ;;
    *) echo "install-package.sh: unknown option $arg (--no-install, --anyway)" >&2; exit 2 ;;
  esac
done
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || {
    echo "install-package.sh: apt-get needs root: run it as root or install sudo" >&2
    exit 1
  }
  sudo_cmd=(sudo)
fi

# Our plug-ins outside the package, in folders hosts search.
strays=()
search=(/usr/local/lib/vst /usr/local/lib/lv2 "$HOME/.vst" "$HOME/.lv2")
IFS=: read -r -a more <<<"${VST_PATH:-}:${LXVST_PATH:-}:${LV2_PATH:-}"
for folder in "${search[@]}" "${more[@]}"; do
  [ -n "$folder" ] || continue
  for name in QTAPG_x64.so QTAP_x64.so quillet-k3.lv2; do
    path=$folder/$name
    [ -e "$path" ] || continue
    dpkg -S "$path" >/dev/null 2>&1 || strays+=("$path")
  done
done
if [ "${#strays[@]}" -gt 0 ] && [ "$anyway" = 0 ]; then
  echo "install-package.sh: Quillet K3 is already in folders hosts search:" >&2
  printf '  %s\n' "${strays[@]}" >&2
  echo "With the package as well, hosts would find two plug-ins with one ID. Remove those" >&2
  echo "first (a cmake --install: xargs rm -f < BUILD/install_manifest.txt), or go on" >&2
  echo "anyway: bash scripts/install-package.sh --anyway" >&2
  exit 1
fi

bash scripts/install-deps.sh --deb

echo "== Building every edition (Release) in build-package/"
# Editions switched off in an earlier configure are switched on again.
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -U 'QUILLET_EDITION_*' -U QUILLET_REQUIRE_EDITIONS \
  -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
echo "Editions: $(awk -F'\t' '{printf "%s%s (%s)", sep, $3, $2; sep=", "}' build-package/editions.txt)"

echo "== Making the Debian package"
rm -f build-package/quillet-k3_*.deb
(cd build-package && cpack -G DEB >/dev/null)
deb=$(ls build-package/quillet-k3_*.deb)
echo "$deb"
[ "$install" = 1 ] || exit 0

echo "== Installing it"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y \
  --reinstall "./$deb"
echo "Installed: $(dpkg-query -W -f='${Package} ${Version}' quillet-k3). Hosts find it in"
echo "/usr/lib/vst (VST 2.4) and /usr/lib/lv2 (LV2) when they start or rescan (see README.md)."
