#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (editor tests on a
# private Xvfb display when there is no X server). Each stage's time is
# printed as it ends, and all of them at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every build configured below treats a compiler warning as an error.
export QUILLET_WERROR=ON
# The panel remembers a size chosen on it per user and takes one from the
# environment: the tests start from neither.
export XDG_CONFIG_HOME="$(mktemp -d)"
unset QUILLET_UI_SCALE

started=$SECONDS
times=()
stage() {
  local name=$1 t0=$SECONDS
  shift
  "$@"
  times+=("$(printf '%5d s  %s' $((SECONDS - t0)) "$name")")
  echo "== stage '$name' passed in $((SECONDS - t0)) s"
}

stage "packages for the tests" bash scripts/install-deps.sh --tests
# The layout of every C and C++ file.
stage "clang-format" bash scripts/check-format.sh
# The README's first command on the clean clone: plug-in, quillet-host, demo, manual.
stage "demo" bash scripts/test-demo.sh
stage "build" bash scripts/build.sh
stage "ctest" scripts/with-display.sh ctest --test-dir build --output-on-failure -j2 --timeout 900
# The Windows DLLs: cross-built with mingw-w64 and checked under Wine.
stage "Windows" bash scripts/test-windows.sh
# 64-bit ARM Linux: every edition cross-built and checked under qemu-user.
stage "arm64" bash scripts/test-arm64.sh
# Data races: both libraries and a stress host under ThreadSanitizer.
stage "ThreadSanitizer" bash scripts/test-tsan.sh
# The packages: .deb installed and scanned by the hosts' scanners, removed; the Windows .zip.
stage "packages" bash scripts/test-package.sh
# The LV2 bundle in lilv's tools and Ardour.
stage "LV2" bash scripts/test-lv2.sh
# The VST3, LV2 and CLAP editions in Steinberg's validator, pluginval and clap-info.
stage "validators" bash scripts/test-validators.sh
# The web edition: its echo against quillet-host in Node, its page in headless Chromium.
stage "web" bash scripts/test-web.sh
# The suite again under AddressSanitizer + UndefinedBehaviorSanitizer.
stage "sanitizers" bash scripts/test-sanitizers.sh
# Every fuzzer for a bounded time from its seeds.
stage "fuzzers" bash scripts/test-fuzz.sh

echo "== every stage passed in $((SECONDS - started)) s:"
printf '%s\n' "${times[@]}"
