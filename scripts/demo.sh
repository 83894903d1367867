#!/usr/bin/env bash
# Installs what is missing, builds, and renders the built-in demo through the
# editor build of the plug-in into out/demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
bash scripts/build.sh
mkdir -p out
build/host/vst2-host info build/QTAPG_x64.so
# A third of a second of delay, echoes that die away slowly, clearly audible.
build/host/vst2-host render build/QTAPG_x64.so -o out/demo.wav \
  --set Delay=0.6 --set Repeat=0.45 --set Level=0.8 --tail 4
echo "Listen: out/demo.wav"
