// What automation inside blocks costs the audio thread, through the core as
// the VST3 and CLAP editions run it (core/block_changes.h: a block split at
// its changes' frames, "Delay" and "Range" stretching the lines at most once
// in any 2 ms, each stretch made over the 2 ms after it):
//   - DelayEveryFrame: a host sending a "Delay" point at every frame, the
//     long range (2.6 s lines), the worst a ride can cost: the stretches per
//     block, and the longest block, the 99.9th percentile and the median as
//     shares of the block's duration;
//   - LevelEveryFrame: a "Level" point at every frame, so every piece is one
//     frame long: what a piece costs beside a block of the same length run
//     whole (ratio_to_whole).
// Times are the CPU time of the calling thread per block.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#include "core/block_changes.h"
#include "core/echo_core.h"

using namespace quillet::engine;

namespace {

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

class Pieces final : public quillet::core::PieceRunner {
 public:
  Pieces(quillet::core::EchoCore& core, uint32_t block)
      : core(core), in(2 * block), out(2 * block) {
    std::mt19937 gen(5);
    std::uniform_real_distribution<float> noise(-0.3f, 0.3f);
    for (float& x : in) x = noise(gen);
    this->block = block;
  }
  void apply(const quillet::core::TimedChange& change) override {
    core.setParameter(change.index, change.value);
    if (change.index == kParamDelay || change.index == kParamRange) ++stores;
  }
  void run(uint32_t offset, uint32_t frames) override {
    const float* i[2] = {in.data() + offset, in.data() + block + offset};
    float* o[2] = {out.data() + offset, out.data() + block + offset};
    core.process(i, o, frames);
  }
  quillet::core::EchoCore& core;
  std::vector<float> in, out;
  uint32_t block = 0;
  int stores = 0;
};

struct Figures {
  std::vector<double> seconds;
  double percentOf(double blockSeconds, double quantile) {
    std::sort(seconds.begin(), seconds.end());
    const size_t at = std::min(seconds.size() - 1, static_cast<size_t>(quantile * seconds.size()));
    return 100.0 * seconds[at] / blockSeconds;
  }
};

void DelayEveryFrame(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const auto block = static_cast<uint32_t>(state.range(1));
  auto core = std::make_unique<quillet::core::EchoCore>();
  core->spaceStretches(true);
  core->setParameter(kParamRange, 1.0f);
  core->setParameter(kParamRepeat, 0.4f);
  core->setParameter(kParamLevel, 0.5f);
  core->setParameter(kParamDelay, 0.9f);
  core->setSampleRate(rate);
  auto changes = std::make_unique<quillet::core::BlockChanges>();
  Pieces pieces(*core, block);
  Figures figures;
  float delay = 0.9f;
  int blocks = 0;
  for (auto _ : state) {
    changes->clear();
    for (uint32_t f = 0; f < block; ++f) {
      delay = delay > 0.95f ? 0.85f : delay + 0.0001f;  // every point a new length
      changes->add(f, kParamDelay, delay);
    }
    pieces.stores = 0;
    const double start = threadSeconds();
    quillet::core::runInPieces(*changes, block, pieces);
    figures.seconds.push_back(threadSeconds() - start);
    ++blocks;
  }
  const double blockSeconds = block / rate;
  state.counters["stretches_per_block"] = static_cast<double>(block) / stretchSpacingFrames(rate);
  state.counters["median_pct"] = figures.percentOf(blockSeconds, 0.5);
  state.counters["p999_pct"] = figures.percentOf(blockSeconds, 0.999);
  state.counters["worst_pct"] = figures.percentOf(blockSeconds, 1.0);
}

void LevelEveryFrame(benchmark::State& state) {
  const double rate = 48000.0;
  const auto block = static_cast<uint32_t>(state.range(0));
  auto core = std::make_unique<quillet::core::EchoCore>();
  core->spaceStretches(true);
  core->setSampleRate(rate);
  auto changes = std::make_unique<quillet::core::BlockChanges>();
  Pieces pieces(*core, block);
  double split = 0.0, whole = 0.0;
  float level = 0.5f;
  for (auto _ : state) {
    changes->clear();
    for (uint32_t f = 0; f < block; ++f) {
      level = level > 0.9f ? 0.1f : level + 0.001f;
      changes->add(f, kParamLevel, level);
    }
    double start = threadSeconds();
    quillet::core::runInPieces(*changes, block, pieces);
    split += threadSeconds() - start;
    changes->clear();
    start = threadSeconds();
    quillet::core::runInPieces(*changes, block, pieces);
    whole += threadSeconds() - start;
  }
  state.counters["ns_per_piece"] = 1e9 * split / (state.iterations() * block);
  state.counters["ratio_to_whole"] = split / whole;
}

}  // namespace

BENCHMARK(DelayEveryFrame)
    ->ArgsProduct({{48000, 192000}, {32, 64, 512}})
    ->Iterations(400)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(LevelEveryFrame)->Arg(64)->Arg(512)->Iterations(2000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
