// What drawing the panel's pictures costs when the panel opens at a scale
// whose pictures are not stored: all fifteen at each supported factor, on one
// thread and on two, and the background and the two knob strips on their own.
// The CPU column is the calling thread's only; with two threads read the
// wall-clock time of a quiet machine.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "editor/artwork/picture_pixels.h"
#include "editor/panel_layout.h"

namespace {

const double kScales[] = {1, 1.25, 1.5, 1.75, 2, 2.5, 3};

void AllPictures(benchmark::State& state) {
  const float scale = static_cast<float>(kScales[state.range(0)]);
  const int threads = static_cast<int>(state.range(1));
  int64_t bytes = 0;
  for (auto _ : state) {
    for (int32_t id = quillet::editor::kFirstBitmap; id <= quillet::editor::kLastBitmap; ++id) {
      quillet::artwork::Pixels pixels;
      quillet::artwork::drawPixels(id, scale, &pixels, threads);
      bytes += static_cast<int64_t>(pixels.rgba.size());
      benchmark::DoNotOptimize(pixels.rgba.data());
    }
  }
  state.SetLabel("scale " + std::to_string(scale).substr(0, 4) + ", " + std::to_string(threads) +
                 " thread(s)");
  state.counters["MB_pixels"] = static_cast<double>(bytes) / state.iterations() / 1e6;
}
BENCHMARK(AllPictures)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void OnePicture(benchmark::State& state) {
  const int32_t id = static_cast<int32_t>(state.range(0));
  const float scale = static_cast<float>(kScales[state.range(1)]);
  for (auto _ : state) {
    quillet::artwork::Pixels pixels;
    quillet::artwork::drawPixels(id, scale, &pixels);
    benchmark::DoNotOptimize(pixels.rgba.data());
  }
  state.SetLabel("picture " + std::to_string(id) + ", scale " + std::to_string(scale).substr(0, 4));
}
BENCHMARK(OnePicture)
    ->ArgsProduct({{quillet::editor::kBackground, quillet::editor::kLargeKnob,
                    quillet::editor::kSmallKnob},
                   {0, 4, 6}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
