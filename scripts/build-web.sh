#!/usr/bin/env bash
# Builds the web edition into build-web/site/: the page, its scripts, the two
# WebAssembly modules (web/CMakeLists.txt), the demo material and the app's
# manifest and service worker. A static site: serve the folder as it is
# (README: "In your browser").
#   scripts/build-web.sh            installs what is missing (--web), then builds
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --web

out=build-web
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The emscripten JavaScript runtime is not used (the modules are standalone),
# so its tools only compile and link.
if [ ! -f "$out/wasm/build.ninja" ]; then
  emcmake cmake -S . -B "$out/wasm" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
fi
cmake --build "$out/wasm" -j2 --target quillet_echo quillet_panel

# The demo as quillet-host feeds it to a plug-in, made by the build machine's
# compiler from the host's own source (web/tools/write_demo.cpp says why).
cxx=(c++)
command -v ccache >/dev/null && cxx=(ccache c++)
"${cxx[@]}" -O2 -std=c++17 -Wall -Wextra -I. web/tools/write_demo.cpp host/render/demo_material.cpp \
  -o "$out/write_demo"
# The app's icons, drawn from the panel's artwork at their sizes.
"${cxx[@]}" -O2 -std=c++17 -Wall -Wextra -I. web/tools/make_icons.cpp \
  editor/artwork/{glyphs,glyph_table,panel_pictures,picture_pixels,raster,png_writer}.cpp \
  -o "$out/make_icons" -pthread

site=$out/site
rm -rf "$site"
mkdir -p "$site"
cp web/site/*.html web/site/*.js web/site/*.css web/site/*.webmanifest "$site/"
cp "$out/wasm/web/quillet_echo.wasm" "$out/wasm/web/quillet_panel.wasm" "$site/"
"$out/write_demo" 48000 "$out/demo-48000.f32"
gzip -9 -n -c "$out/demo-48000.f32" >"$site/demo-48000.f32.gz"
"$out/make_icons" "$site" 192 512
# The service worker keeps one cache per build: its name carries a digest of
# every file it keeps, so a new build replaces the old files on the next visit.
files=$(cd "$site" && find . -type f ! -name sw.js | sed 's|^\./||' | LC_ALL=C sort)
digest=$(cd "$site" && echo "$files" | xargs cat | sha256sum | cut -c1-16)
list=$( (echo "./"; echo "$files") | sed 's/.*/"&"/' | paste -sd, -)
sed -i "s|@SITE_DIGEST@|$digest|; s|@SITE_FILES@|[$list]|" "$site/sw.js"
echo "build-web.sh: $(du -sk "$site" | cut -f1) KiB in $site ($(echo "$files" | wc -l) files and sw.js)"
