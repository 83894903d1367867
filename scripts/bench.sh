#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks optimised (build-bench/) and
# runs them: the engine's, then what "Mute" costs the plug-in. Extra arguments
# go to both, e.g.
#   bash scripts/bench.sh --benchmark_filter=EchoProcess
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --bench
# Optimised as the packages are; only the benchmarks are built, so no manual.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_TESTS=OFF \
  -DQUILLET_MANUAL=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target engine_bench mute_bench
build-bench/bench/engine_bench "$@"
build-bench/bench/mute_bench "$@"
