#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (editor tests on a
# private Xvfb display when there is no X server).
set -euo pipefail
cd "$(dirname "$0")/.."
# Every build configured below treats a compiler warning as an error.
export QUILLET_WERROR=ON
bash scripts/install-deps.sh --tests
# The layout of every C and C++ file (a few seconds).
bash scripts/check-format.sh
bash scripts/build.sh
scripts/with-display.sh ctest --test-dir build --output-on-failure -j2 --timeout 900
# The Windows DLLs: cross-built with mingw-w64 and checked under Wine.
bash scripts/test-windows.sh
# 64-bit ARM Linux: every edition cross-built and checked under qemu-user.
bash scripts/test-arm64.sh
# Data races: both libraries and a stress host under ThreadSanitizer.
bash scripts/test-tsan.sh
# The packages: .deb installed and scanned by Ardour's scanner, removed; the Windows .zip.
bash scripts/test-package.sh
# The LV2 bundle in lilv's tools and Ardour.
bash scripts/test-lv2.sh
# The suite again under AddressSanitizer + UndefinedBehaviorSanitizer.
bash scripts/test-sanitizers.sh
# Every fuzzer for a bounded time from its seeds.
bash scripts/test-fuzz.sh
