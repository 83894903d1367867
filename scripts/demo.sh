#!/usr/bin/env bash
# Installs what the build needs when missing, builds only the editor build of
# the plug-in, quillet-host and the musician's manual (build/manual/), and
# renders the built-in demo into out/demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# A first configure leaves the tests and benchmarks out (no GoogleTest needed);
# a build/ that scripts/build.sh has set up keeps its settings.
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCH=OFF >/dev/null
fi
targets=(QTAPG_x64 quillet-host)
# The manual, unless this build/ was configured without it.
manual=no
if cmake --build build --target help | grep -q "^quillet_manual:"; then
  targets+=(quillet_manual)
  manual=yes
fi
cmake --build build -j"$(nproc)" --target "${targets[@]}"
mkdir -p out
build/host/quillet-host info build/QTAPG_x64.so
# A third of a second of delay, echoes that die away slowly, clearly audible.
build/host/quillet-host render build/QTAPG_x64.so -o out/demo.wav \
  --set Delay=0.6 --set Repeat=0.45 --set Level=0.8 --tail 4
echo "Listen: out/demo.wav"
if [ "$manual" = yes ]; then
  echo "Read: build/manual/index.html (the manual, in a web browser)"
else
  echo "No manual: build/ was configured without it (see doc/packaging.md)"
fi
