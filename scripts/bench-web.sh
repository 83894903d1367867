#!/usr/bin/env bash
# The web edition's echo against the native build of the same tree, in one
# run on this machine: ns per frame in 128-frame quanta at 48 kHz, and the
# share of a quantum's time at 48 and 96 kHz (a frame costs about the same
# at either rate).
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
native=$(build-bench/bench/web_quantum_bench --benchmark_format=json --benchmark_min_time=2 \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null)
wasm=$(node web/tests/bench.mjs build-web/site/quillet_echo.wasm 3)
python3 - "$native" "$wasm" <<'PY'
import json, sys
native = json.loads(sys.argv[1])
rows = []
names = {"0": "native, one frame at a time", "1": "native, pairs (128-bit)", "3": "native, widest (AVX2/AVX-512)"}
for b in native["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    path = b["run_name"].split("path:")[1]
    rows.append((names.get(path, path), 1e9 / b["items_per_second"]))
for line in sys.argv[2].splitlines():
    w = json.loads(line)
    rows.append((w["name"], w["ns_per_frame"]))
scalar = rows[0][1]
print(f"{'':34} {'ns/frame':>9} {'x native 1-frame':>17} {'48 kHz quantum':>15} {'96 kHz quantum':>15}")
for name, ns in rows:
    print(f"{name:34} {ns:9.2f} {ns / scalar:17.2f} {ns * 48000 / 1e9 * 100:14.2f}% {ns * 96000 / 1e9 * 100:14.2f}%")
PY
