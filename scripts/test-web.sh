#!/usr/bin/env bash
# The web edition's checks (a stage of scripts/test.sh): builds the site
# (scripts/build-web.sh), then
#  - in Node: the echo module against `quillet-host render` of QTAP_x64.so,
#    sample for sample, and its erf against the C library's
#    (web/tests/render_check.mjs);
#  - in Chromium: the page, the same renders, the panel by mouse and by
#    touch, the address, the app's installability and the page offline
#    (web/tests/browser_check.mjs);
#  - in Firefox ESR: the page without errors, and the render with values
#    moving at known frames (web/tests/firefox_check.mjs).
# Needs build/ from scripts/build.sh (quillet-host and QTAP_x64.so).
set -euo pipefail
cd "$(dirname "$0")/.."
for f in build/host/quillet-host build/QTAP_x64.so; do
  [ -e "$f" ] || { echo "test-web.sh: $f is missing: run scripts/build.sh first" >&2; exit 1; }
done
bash scripts/build-web.sh
cc -O2 -fno-builtin web/tests/erf_sweep.c -o build-web/erf_sweep -lm
mkdir -p build-web/check
node web/tests/render_check.mjs build-web/site build/host/quillet-host build/QTAP_x64.so \
  build-web/check
# In Chromium (headless, through puppeteer-core from npm: web/package.json):
# the page, its renders against the ones above, the panel's drag, touch, menu
# and pictures, the address, installing and offline (web/tests/browser_check.mjs).
(cd web && npm ci --no-audit --no-fund --loglevel=error)
node web/tests/browser_check.mjs build-web/site build-web/check tests/editor/golden build-web/shots
# The same page in Firefox (its own WebAssembly compiler and Web Audio).
node web/tests/firefox_check.mjs build-web/site build-web/check
