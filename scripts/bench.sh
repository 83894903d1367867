#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks optimised (build-bench/) and
# runs them: the engine's, what "Mute" costs the plug-in, the worst block
# under every load (VST 2.4, and VST3 and CLAP with values at their frames)
# and the steady cost once values rest, automation inside blocks through the
# core, each edition's scan, memory per instance and steady echo, and the
# xruns of quillet-k3's start on a dummy JACK server (on a private X display;
# needs jackd). Extra arguments go to every program, e.g.
#   bash scripts/bench.sh --benchmark_filter=EchoProcess
# QUILLET_BEFORE=/path/to/QTAP_x64.so (mute_bench, block_budget_bench) and
# QUILLET_BEFORE_DIR=/dir (block_budget_bench's Points, edition_bench) add the
# figures of another build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --bench
# Optimised as the packages are; only the benchmarks are built, so no manual.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_TESTS=OFF \
  -DQUILLET_MANUAL=OFF >/dev/null
targets=(engine_bench mute_bench block_budget_bench automation_bench edition_bench)
if cmake --build build-bench --target help | grep -q "^quillet-k3:"; then
  targets+=(quillet-k3)
fi
# On x86 the engine's portable build too, for its 128-bit figures beside x86's.
portable=build-bench/bench/engine_bench_portable
if cmake --build build-bench --target help | grep -q engine_bench_portable; then
  targets+=(engine_bench_portable)
fi
cmake --build build-bench -j"$(nproc)" --target "${targets[@]}"
build-bench/bench/engine_bench "$@"
if [ -x "$portable" ]; then
  # The 128-bit loops (the echo's and the stretch's) of both builds in turn,
  # three times, so that both see the machine alike.
  for round in 1 2 3; do
    for program in build-bench/bench/engine_bench "$portable"; do
      echo "== $program (round $round)"
      "$program" \
        --benchmark_filter='BM_EchoProcess<.*, false>/glide:./wide:0|BM_StretchBothLines/splice:1/wide:0' \
        "$@"
    done
  done
fi
build-bench/bench/mute_bench "$@"
build-bench/bench/block_budget_bench "$@"
build-bench/bench/automation_bench "$@"
build-bench/bench/edition_bench "$@"
if [ -x build-bench/standalone/quillet-k3 ] && command -v jackd >/dev/null; then
  scripts/with-display.sh python3 bench/standalone_start_xruns.py build-bench/standalone/quillet-k3 10
fi
