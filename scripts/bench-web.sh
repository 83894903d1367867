#!/usr/bin/env bash
# The web edition's echo against the native build of the same tree, in one
# run on this machine: ns per frame in 128-frame quanta at 48 kHz, and the
# share of a quantum's time at 48 and 96 kHz (a frame costs about the same
# at either rate). Every figure is processor time (web/tests/bench.mjs says
# why). The echo module is timed as the site ships it (SIMD128) and built a
# second time without SIMD (build-web/wasm-scalar/, for this benchmark only),
# so that what SIMD gains shows.
#   scripts/bench-web.sh        builds what is missing (build-bench/, build-web/)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --bench --web
if [ ! -f build-bench/build.ninja ]; then
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_TESTS=OFF \
    -DQUILLET_MANUAL=OFF >/dev/null
fi
cmake --build build-bench -j2 --target web_quantum_bench >/dev/null
bash scripts/build-web.sh >/dev/null
scalar=build-web/wasm-scalar
if [ ! -f "$scalar/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null &&
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  emcmake cmake -S . -B "$scalar" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLET_WEB_SIMD=OFF \
    "${launcher[@]}" >/dev/null
fi
cmake --build "$scalar" -j2 --target quillet_echo >/dev/null
native=$(build-bench/bench/web_quantum_bench --benchmark_format=json --benchmark_min_time=2 \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null)
wasm=$(node web/tests/bench.mjs 3 "wasm, SIMD128 (the site's)=build-web/site/quillet_echo.wasm" \
  "wasm, no SIMD=$scalar/web/quillet_echo.wasm")
python3 - "$native" "$wasm" <<'PY'
import json, sys
native = json.loads(sys.argv[1])
rows = []
names = {"1": "native, 128-bit loops (SSE2)", "3": "native, widest (AVX2/AVX-512)"}
for b in native["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    path = b["run_name"].split("path:")[1]
    rows.append((names.get(path, path), 1e9 / b["items_per_second"], None))
for line in sys.argv[2].splitlines():
    w = json.loads(line)
    rows.append((w["name"], w["ns_per_frame"], w["wall_ns_per_frame"]))
base = rows[0][1]
print(f"{'':30} {'ns/frame':>9} {'x native 128-bit':>17} {'48 kHz quantum':>15} "
      f"{'96 kHz quantum':>15} {'wall ns/frame':>14}")
for name, ns, wall in rows:
    w = f"{wall:14.2f}" if wall is not None else f"{'':>14}"
    print(f"{name:30} {ns:9.2f} {ns / base:17.2f} {ns * 48000 / 1e9 * 100:14.2f}% "
          f"{ns * 96000 / 1e9 * 100:14.2f}% {w}")
PY
