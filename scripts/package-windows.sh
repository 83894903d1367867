#!/usr/bin/env bash
# Makes the Windows archive build-win/quillet-k3-VERSION-win64.zip on Debian:
# installs the mingw-w64 cross compiler when missing, writes the factory
# presets with the Linux build in build-package/ (the generator runs here),
# cross-builds the DLLs in build-win/ (reused when configured before) and
# packs them with CPack.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --windows

echo "== The .fxp presets (Linux build in build-package/)"
if [ ! -f build-package/CMakeCache.txt ]; then
  cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build-package -j"$(nproc)" --target quillet_lv2_bundle >/dev/null

echo "== The DLLs (mingw-w64 cross build in build-win/)"
fxp_dir=-DQUILLET_FXP_PRESET_DIR=$PWD/build-package/presets
if [ -f build-win/CMakeCache.txt ]; then
  cmake build-win "$fxp_dir" >/dev/null
else
  cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF "$fxp_dir" \
    >/dev/null
fi
cmake --build build-win -j"$(nproc)" >/dev/null

rm -f build-win/quillet-k3-*-win64.zip
(cd build-win && cpack -G ZIP >/dev/null)
ls build-win/quillet-k3-*-win64.zip
