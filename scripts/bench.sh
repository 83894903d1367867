#!/usr/bin/env bash
# Installs what is missing, builds the engine benchmark optimised (build-bench/)
# and runs it. Extra arguments go to the benchmark, e.g.
#   bash scripts/bench.sh --benchmark_filter=EchoProcess
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target engine_bench
build-bench/bench/engine_bench "$@"
