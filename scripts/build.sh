#!/usr/bin/env bash
# Configures and builds everything into build/ (Release with debug info),
# tests and benchmarks included, also where scripts/demo.sh configured build/
# without them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_BUILD_TESTS=ON -DQUILLET_BUILD_BENCH=ON >/dev/null
cmake --build build -j"$(nproc)"
