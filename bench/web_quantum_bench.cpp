// What the echo costs per frame in the web edition's render quantum (128
// frames, 48 kHz, "Repeat" 0.6, "Level" 1, noise in), natively: the figures
// web/tests/bench.mjs sets the WebAssembly module's beside
// (scripts/bench-web.sh runs both in one go). `path` is the widest loop
// allowed: 1 the 128-bit loops (pairs of doubles, as the WebAssembly module
// runs them in SIMD128), 3 the widest this processor runs. The echo block has
// no narrower loop than 128 bits (path 0 runs the same code as 1). Frames
// per second are the items per second, in processor time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/echo_core.h"

using namespace quillet::engine;

namespace {

constexpr uint32_t kQuantum = 128;

void BM_WebQuantum(benchmark::State& state) {
  const auto path = static_cast<VectorPath>(state.range(0));
  quillet::core::EchoCore core;
  core.setParameter(kParamRepeat, 0.6f);
  core.setParameter(kParamLevel, 1.0f);
  core.setSampleRate(48000.0);
  core.echoEngine().setWidestPath(path);
  std::vector<float> left(kQuantum), right(kQuantum), outL(kQuantum), outR(kQuantum);
  uint32_t noise = 1;
  auto fill = [&](std::vector<float>& v) {
    for (float& s : v) {
      noise = noise * 1664525u + 1013904223u;
      s = static_cast<float>(static_cast<int32_t>(noise)) * (0.25f / 2147483648.0f);
    }
  };
  fill(left);
  fill(right);
  const float* in[2] = {left.data(), right.data()};
  float* out[2] = {outL.data(), outR.data()};
  for (int i = 0; i < 2000; ++i) core.process(in, out, kQuantum);  // lines full of echoes
  for (auto _ : state) {
    core.process(in, out, kQuantum);
    benchmark::DoNotOptimize(outL.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kQuantum);
}

}  // namespace

BENCHMARK(BM_WebQuantum)->ArgName("path")->Arg(1)->Arg(3);
BENCHMARK_MAIN();
