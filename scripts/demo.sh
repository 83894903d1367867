#!/usr/bin/env bash
# Installs what is missing, builds, and renders the built-in demo through the
# editor build of the plug-in into out/demo.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
mkdir -p out
build/host/vst2-host info build/QTAPG_x64.so
build/host/vst2-host info build/QTAP_x64.so
