#!/usr/bin/env bash
# Makes the Windows archive build-win/quillet-k3-VERSION-win64.zip and, beside
# it, the installer build-win/quillet-k3-VERSION-win64-setup.exe on Debian:
# installs the mingw-w64 cross compiler and NSIS when missing, builds the
# Linux tree in build-package/ (it writes the factory presets, and the
# musician's manual when the tree makes one), cross-builds the DLLs in
# build-win/ (reused when configured before), packs them with CPack and makes
# the installer with makensis.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --windows

echo "== The presets and the manual (Linux build in build-package/)"
if [ ! -f build-package/CMakeCache.txt ]; then
  cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build-package -j"$(nproc)" >/dev/null

echo "== The DLLs (mingw-w64 cross build in build-win/)"
from_linux=(-DQUILLET_FXP_PRESET_DIR="$PWD/build-package/presets"
  -DQUILLET_MANUAL_DIR="$PWD/build-package/manual")
if [ -f build-win/CMakeCache.txt ]; then
  cmake build-win "${from_linux[@]}" >/dev/null
else
  cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF \
    "${from_linux[@]}" >/dev/null
fi
cmake --build build-win -j"$(nproc)" >/dev/null

rm -f build-win/quillet-k3-*-win64.zip build-win/quillet-k3-*-win64-setup.exe
(cd build-win && cpack -G ZIP >/dev/null)
cmake --build build-win --target quillet_installer >/dev/null
ls build-win/quillet-k3-*-win64.zip build-win/quillet-k3-*-win64-setup.exe
