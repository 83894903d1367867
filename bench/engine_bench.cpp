// Steady-state cost of the echo and of one stretch of the delay lines, each
// reported next to a floor measured in the same run:
//   - processing (block 512, 48 kHz, "Repeat" 0.6, "Level" 1, noise input)
//     against two libm erf calls per frame, the loop's irreducible work;
//   - one stretch of both 2.6 s lines at 96 kHz against copying them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#include "engine/echo_engine.h"
#include "engine/echo_engine_probe.h"
#include "engine/line_stretch.h"
#include "engine/reference_process.h"
#include "engine/vector_erf.h"

using namespace quillet::engine;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBlock = 512;
constexpr float kRate = 48000.0f;

uint32_t fixedTick() { return 0u; }

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

template <typename Sample>
struct NoiseBlock {
  std::vector<Sample> left, right, outL, outR;
  NoiseBlock() : left(kBlock), right(kBlock), outL(kBlock), outR(kBlock) {
    std::mt19937 gen(1);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    for (int i = 0; i < kBlock; ++i) {
      left[i] = dist(gen);
      right[i] = dist(gen);
    }
  }
};

EchoParams busyParams() {
  EchoParams p;
  p[kParamRepeat] = 0.6f;
  p[kParamLevel] = 1.0f;
  return p;
}

// Median and fastest of a set of timings. The steady-state ratios compare
// like with like: median with median (robust against the interruptions of a
// shared machine) and fastest with fastest.
struct Timing {
  double median = 0.0;
  double fastest = 0.0;
};

Timing summarize(std::vector<double> times) {
  if (times.empty()) return {};
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.front()};
}

// The erf arguments of the benchmark's steady state, recorded from the
// frame-by-frame oracle over kRecordedBlocks blocks of the same session.
constexpr int kRecordedBlocks = 16;

const std::vector<double>& loopArguments() {
  static const std::vector<double> args = [] {
    std::vector<double> a(2 * kBlock * kRecordedBlocks);
    EchoEngine oracle;
    oracle.setTickSource(&fixedTick);
    oracle.setStretchFunction(&stretchRingsDirect);
    const EchoParams p = busyParams();
    oracle.sampleRateChanged(kRate, p);
    NoiseBlock<double> io;
    const double* ins[2] = {io.left.data(), io.right.data()};
    double* outs[2] = {io.outL.data(), io.outR.data()};
    for (int i = 0; i < 200; ++i) processDirect(oracle, p, false, ins, outs, kBlock);
    for (int b = 0; b < kRecordedBlocks; ++b) {
      processDirect(oracle, p, false, ins, outs, kBlock, a.data() + 2 * kBlock * b);
    }
    return a;
  }();
  return args;
}

// Arguments spread evenly over -1.5 .. 1.5: every branch of libm's erf, in
// no predictable order. Louder than anything the benchmark's noise drives
// the loop with.
const std::vector<double>& wideArguments() {
  static const std::vector<double> args = [] {
    std::vector<double> a(2 * kBlock * kRecordedBlocks);
    std::mt19937 gen(2);
    std::uniform_real_distribution<double> dist(-1.5, 1.5);
    for (double& x : a) x = dist(gen);
    return a;
  }();
  return args;
}

// Seconds per frame of two erf calls over one recorded block of arguments.
double erfBlock(const std::vector<double>& args, int block) {
  static volatile double sink = 0.0;
  const double* a = args.data() + 2 * kBlock * (block % kRecordedBlocks);
  const auto t0 = Clock::now();
  double acc = 0.0;
  for (int i = 0; i < kBlock; ++i) acc += std::erf(a[2 * i]) + std::erf(a[2 * i + 1]);
  const auto t1 = Clock::now();
  sink = sink + acc;
  return seconds(t0, t1) / kBlock;
}

// Seconds per frame of the vector erf over one recorded block of arguments,
// in chunks of 64 frames as the loop calls it.
double vectorErfBlock(const std::vector<double>& args, int block, ErfArray erf) {
  static volatile double sink = 0.0;
  alignas(64) double chunk[128];
  const double* a = args.data() + 2 * kBlock * (block % kRecordedBlocks);
  const auto t0 = Clock::now();
  double acc = 0.0;
  for (int c = 0; c < kBlock / 64; ++c) {
    erf(a + 128 * c, chunk, 128);
    acc += chunk[127];
  }
  const auto t1 = Clock::now();
  sink = sink + acc;
  return seconds(t0, t1) / kBlock;
}

// Every smoother gliding: the five targets move on every block.
void keepGliding(EchoEngine& engine, EchoParams& p, int block) {
  const float wobble = block % 2 ? 0.02f : -0.02f;
  p[kParamRepeat] = 0.6f + wobble;
  p[kParamLevel] = 1.0f + wobble - 0.02f;
  p[kParamDry] = 0.5f + wobble;
  p[kParamPan] = 0.5f + wobble;
  p[kParamXFeed] = 0.2f + wobble;
  for (int index : {kParamRepeat, kParamLevel, kParamDry, kParamPan, kParamXFeed}) {
    engine.parameterChanged(index, p);
  }
}

// Steady-state echo (glide 0) or with every smoother gliding (glide 1),
// through the engine (direct = false) or through the frame-by-frame oracle.
// wide 0 keeps the engine on its 128-bit loop; verf 0 makes it call the
// library's erf frame by frame instead of the vector erf (as before it).
template <typename Sample, bool direct>
void BM_EchoProcess(benchmark::State& state) {
  const bool glide = state.range(0) != 0;
  EchoEngine engine;
  engine.setTickSource(&fixedTick);
  const VectorPath widest = state.range(1) == 0 ? VectorPath::kSse2 : VectorPath::kAvx512;
  engine.setWidestPath(widest);
  engine.setVectorErf(state.range(2) != 0);
  const ErfArray vectorErf = widestVectorErf(widest);
  EchoParams p = busyParams();
  engine.sampleRateChanged(kRate, p);
  NoiseBlock<Sample> io;
  const Sample* ins[2] = {io.left.data(), io.right.data()};
  Sample* outs[2] = {io.outL.data(), io.outR.data()};
  for (int i = 0; i < 200; ++i) engine.process(p, false, ins, outs, kBlock);  // fill the lines

  // Each engine block is followed by a block of each floor, so that all three
  // see the machine in the same state.
  std::vector<double> times, own, wide, vector;
  int block = 0;
  for (auto _ : state) {
    if (glide) keepGliding(engine, p, block);
    const auto t0 = Clock::now();
    if (direct) {
      processDirect(engine, p, false, ins, outs, kBlock);
    } else {
      engine.process(p, false, ins, outs, kBlock);
    }
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(io.outL.data());
    benchmark::ClobberMemory();
    state.SetIterationTime(seconds(t0, t1));
    times.push_back(seconds(t0, t1) / kBlock);
    own.push_back(erfBlock(loopArguments(), block));
    wide.push_back(erfBlock(wideArguments(), block));
    if (vectorErf) vector.push_back(vectorErfBlock(loopArguments(), block, vectorErf));
    ++block;
  }
  const Timing t = summarize(times);
  const Timing ownFloor = summarize(own);
  const Timing wideFloor = summarize(wide);
  const Timing vectorFloor = summarize(vector);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBlock);
  state.counters["ns_per_frame"] = t.median * 1e9;
  state.counters["erf_floor_ns"] = ownFloor.median * 1e9;
  state.counters["ratio_to_erf"] = t.median / ownFloor.median;
  state.counters["ratio_fastest"] = t.fastest / ownFloor.fastest;
  state.counters["wide_erf_floor_ns"] = wideFloor.median * 1e9;
  state.counters["ratio_to_wide_erf"] = t.median / wideFloor.median;
  state.counters["vector_erf_ns"] = vectorFloor.median * 1e9;
}

// One stretch of both lines, made at once, between 2.6 s and a little less
// at 96 kHz, next to copying the same two arrays; on the widest vectors
// (wide 1) or the 128-bit ones (wide 0).
void BM_StretchBothLines(benchmark::State& state) {
  EchoEngine engine;
  engine.setTickSource(&fixedTick);
  engine.setWidestPath(state.range(1) ? VectorPath::kAvx512 : VectorPath::kSse2);
  EchoParams longest;
  longest[kParamRange] = 1.0f;
  longest[kParamDelay] = 1.0f;
  longest[kParamKnobDust] = state.range(0) ? 0.0f : 1.0f;  // 1: with the 1 ms splice
  engine.sampleRateChanged(96000.0f, longest);
  const int32_t n = engine.capacity();
  for (int32_t i = 0; i < n; ++i) {
    probe(engine).delayL[i] = std::sin(0.001 * i);
    probe(engine).delayR[i] = std::cos(0.001 * i);
  }
  EchoParams shorter = longest;
  shorter[kParamDelay] = 0.995f;

  double stretchTime = 0.0;
  double fastest = 1e9;
  bool toShorter = true;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    engine.resizeDelayLines(toShorter ? shorter : longest);
    const auto t1 = Clock::now();
    benchmark::ClobberMemory();
    state.SetIterationTime(seconds(t0, t1));
    stretchTime += seconds(t0, t1);
    fastest = std::min(fastest, seconds(t0, t1));
    toShorter = !toShorter;
  }

  // Other arrays of the lines' size, as a stretch out of place writes into.
  std::vector<double> otherL(static_cast<size_t>(n)), otherR(static_cast<size_t>(n));
  double copyTime = 1e9;
  for (int rep = 0; rep < 20; ++rep) {
    const auto t0 = Clock::now();
    std::memcpy(otherL.data(), probe(engine).delayL.get(), sizeof(double) * n);
    std::memcpy(otherR.data(), probe(engine).delayR.get(), sizeof(double) * n);
    const auto t1 = Clock::now();
    benchmark::ClobberMemory();
    copyTime = std::min(copyTime, seconds(t0, t1));
  }
  // The plain transcription of the same stretch (interpolation and noise,
  // without the splice), for the speed-up.
  double directTime = 1e9;
  const StretchRings rings{probe(engine).delayL.get(),
                           probe(engine).delayR.get(),
                           probe(engine).delayLength,
                           otherL.data(),
                           otherR.data(),
                           engine.targetDelayLength(shorter)};
  for (int rep = 0; rep < 10; ++rep) {
    const auto t0 = Clock::now();
    stretchRingsDirect(rings, 0u);
    const auto t1 = Clock::now();
    benchmark::ClobberMemory();
    directTime = std::min(directTime, seconds(t0, t1));
  }
  const double perStretch = stretchTime / static_cast<double>(state.iterations());
  // Copy and direct stretch are the fastest of their repetitions, so the
  // ratios compare the fastest stretch; the mean is shown as well.
  state.counters["stretch_us"] = fastest * 1e6;
  state.counters["stretch_mean_us"] = perStretch * 1e6;
  state.counters["copy_us"] = copyTime * 1e6;
  state.counters["ratio_to_copy"] = fastest / copyTime;
  state.counters["direct_us"] = directTime * 1e6;
  state.counters["speedup_vs_direct"] = directTime / fastest;
}

// The worst a user can do: "Delay" automated continuously over the long
// range, so every 64-sample block stretches both lines. Three sweeps up and
// down; reported as shares of the block's real-time duration:
//   - worst_*: the longest block, each block of the sweep taken at its fastest
//     of the three sweeps, so that a single interruption of the thread does
//     not count but a block that is slow every time does;
//   - max_* and p999_*: the longest block and the 99.9th percentile as they
//     came, which on a shared machine include whatever interrupted the thread
//     (a virtual machine's stolen time counts even as the thread's CPU time);
//   - top_*: the stretch of the longest lines, at the top of the sweep,
//     repeated 2000 times: median and slowest repetition.
// Beside them what the machine allows for a stretch of the longest lines:
// one pass over both in place (in_place_pass_pct), one copy of both
// (copy_pct), and the stretch's arithmetic alone, as many frames on lines
// that stay in the second-level cache (arithmetic_pct).
void BM_DelayAutomationWorstCase(benchmark::State& state) {
  const float rate = static_cast<float>(state.range(0));
  constexpr int kSmallBlock = 64;
  constexpr int kSteps = 4000;  // blocks from one end of the range to the other
  EchoEngine engine;
  engine.setTickSource(&fixedTick);
  EchoParams p = busyParams();
  p[kParamRange] = 1.0f;
  p[kParamKnobDust] = 0.0f;  // with the splice, the longer path
  engine.sampleRateChanged(rate, p);
  std::vector<double> inL(kSmallBlock, 0.1), inR(kSmallBlock, -0.1);
  std::vector<double> outL(kSmallBlock), outR(kSmallBlock);
  const double* ins[2] = {inL.data(), inR.data()};
  double* outs[2] = {outL.data(), outR.data()};
  const auto timedBlock = [&] {
    const auto t0 = Clock::now();
    engine.process(p, false, ins, outs, kSmallBlock);
    const auto t1 = Clock::now();
    benchmark::ClobberMemory();
    return seconds(t0, t1);
  };

  std::vector<double> times;
  std::vector<double> fastestAtPhase(2 * kSteps, 1e9);
  int block = 0;
  for (auto _ : state) {
    // A triangle sweep over the whole range.
    const int phase = block++ % (2 * kSteps);
    p[kParamDelay] = static_cast<float>(phase < kSteps ? phase : 2 * kSteps - phase) / kSteps;
    const double t = timedBlock();
    state.SetIterationTime(t);
    times.push_back(t);
    fastestAtPhase[phase] = std::min(fastestAtPhase[phase], t);
  }
  std::sort(times.begin(), times.end());

  std::vector<double> top;
  for (int rep = 0; rep < 2000; ++rep) {
    p[kParamDelay] = rep % 2 ? 1.0f : 1.0f - 1.0f / kSteps;
    top.push_back(timedBlock());
  }
  std::sort(top.begin(), top.end());

  // What the memory system allows for a stretch of the longest lines: one
  // pass that reads and rewrites both in place, and one that copies both
  // into other arrays (each the fastest of 20).
  const int32_t n = engine.capacity();
  std::vector<double> otherL(static_cast<size_t>(n)), otherR(static_cast<size_t>(n));
  double inPlace = 1e9, copy = 1e9;
  for (int rep = 0; rep < 20; ++rep) {
    auto t0 = Clock::now();
    for (double* line : {probe(engine).delayL.get(), probe(engine).delayR.get()}) {
      for (int32_t i = 0; i < n; ++i) line[i] = line[i] * 0.5 + 1e-9;
    }
    auto t1 = Clock::now();
    benchmark::ClobberMemory();
    inPlace = std::min(inPlace, seconds(t0, t1));
    t0 = Clock::now();
    std::memcpy(otherL.data(), probe(engine).delayL.get(), sizeof(double) * n);
    std::memcpy(otherR.data(), probe(engine).delayR.get(), sizeof(double) * n);
    t1 = Clock::now();
    benchmark::ClobberMemory();
    copy = std::min(copy, seconds(t0, t1));
  }

  // What the arithmetic allows: as many frames stretched, shrinking and
  // growing by 1/16384 (the top of the sweep moves the lines by about
  // 1/1600), between lines that stay in the second-level cache (fastest of
  // 20).
  double arithmetic = 1e9;
  {
    constexpr int32_t kShort = 16384;
    std::vector<double> aL(kShort, 0.1), aR(kShort, -0.1), bL(kShort, 0.1), bR(kShort, -0.1);
    for (int rep = 0; rep < 20; ++rep) {
      const auto t0 = Clock::now();
      for (int32_t done = 0; done < n; done += kShort) {
        const bool grow = (done / kShort) % 2 != 0;
        const int32_t from = grow ? kShort - 1 : kShort;
        const int32_t to = grow ? kShort : kShort - 1;
        stretchRings(grow ? StretchRings{bL.data(), bR.data(), from, aL.data(), aR.data(), to}
                          : StretchRings{aL.data(), aR.data(), from, bL.data(), bR.data(), to},
                     0u);
      }
      const auto t1 = Clock::now();
      benchmark::ClobberMemory();
      arithmetic = std::min(arithmetic, seconds(t0, t1));
    }
  }

  const double blockSeconds = kSmallBlock / static_cast<double>(rate);
  const double worst = *std::max_element(fastestAtPhase.begin(), fastestAtPhase.end());
  const double longest = times.empty() ? 0.0 : times.back();
  const double p999 = times.empty() ? 0.0 : times[times.size() * 999 / 1000];
  state.counters["worst_block_us"] = worst * 1e6;
  state.counters["worst_pct_of_block"] = 100.0 * worst / blockSeconds;
  state.counters["max_pct_of_block"] = 100.0 * longest / blockSeconds;
  state.counters["p999_pct_of_block"] = 100.0 * p999 / blockSeconds;
  state.counters["top_pct_of_block"] = 100.0 * top[top.size() / 2] / blockSeconds;
  state.counters["top_slowest_pct"] = 100.0 * top.back() / blockSeconds;
  state.counters["in_place_pass_pct"] = 100.0 * inPlace / blockSeconds;
  state.counters["copy_pct"] = 100.0 * copy / blockSeconds;
  state.counters["arithmetic_pct"] = 100.0 * arithmetic / blockSeconds;
}

// Delay memory of one instance: two pairs of lines of 2.6 s of doubles (the
// lines and the spare lines a stretch reads from) and the splice's 2 x 1 ms
// of old samples.
void BM_MemoryPerInstance(benchmark::State& state) {
  const float rate = static_cast<float>(state.range(0));
  EchoEngine engine;
  engine.sampleRateChanged(rate, EchoParams());
  for (auto _ : state) benchmark::DoNotOptimize(engine.capacity());
  const double lines = 4.0 * static_cast<double>(engine.capacity()) * sizeof(double);
  const double scratch = 2.0 * sizeof(double) * 2 * static_cast<int32_t>(rate * 0.001f);
  state.counters["MiB_per_instance"] = (lines + scratch + sizeof(EchoEngine)) / (1024.0 * 1024.0);
}

// The first blocks after the echo restarts behind lines full of 2.6 s of
// echoes (the first-sound rule of VST3, CLAP and LV2 restarts the echo at
// the first sound; "Mute" empties the lines the same way), at 192 kHz in
// 64-frame blocks: the longest of the first 400 blocks (each position's
// fastest of the repetitions) and the restart call itself, as shares of the
// block's duration.
void BM_RestartFirstBlocks(benchmark::State& state) {
  constexpr float kRate = 192000.0f;
  constexpr int kSmall = 64;
  constexpr int kWatched = 400;
  EchoEngine engine;
  engine.setTickSource(&fixedTick);
  EchoParams p = busyParams();
  p[kParamRange] = 1.0f;
  p[kParamDelay] = 1.0f;
  engine.sampleRateChanged(kRate, p);
  std::vector<double> inL(kSmall, 0.1), inR(kSmall, -0.1), outL(kSmall), outR(kSmall);
  const double* ins[2] = {inL.data(), inR.data()};
  double* outs[2] = {outL.data(), outR.data()};
  std::vector<double> fastestAt(kWatched, 1e9), call;
  for (auto _ : state) {
    for (int b = 0; b < static_cast<int>(2.7 * kRate / kSmall); ++b)
      engine.process(p, false, ins, outs, kSmall);
    auto t0 = Clock::now();
    engine.restart(p);
    auto t1 = Clock::now();
    call.push_back(seconds(t0, t1));
    for (int b = 0; b < kWatched; ++b) {
      t0 = Clock::now();
      engine.process(p, false, ins, outs, kSmall);
      t1 = Clock::now();
      fastestAt[b] = std::min(fastestAt[b], seconds(t0, t1));
    }
    state.SetIterationTime(*std::max_element(fastestAt.begin(), fastestAt.end()));
  }
  const double blockSeconds = kSmall / static_cast<double>(kRate);
  state.counters["longest_pct"] =
      100.0 * *std::max_element(fastestAt.begin(), fastestAt.end()) / blockSeconds;
  state.counters["restart_call_pct"] = 100.0 * summarize(call).median / blockSeconds;
}

// 100 instances at 48 kHz in steady state, each processing one 512-frame
// block per round: the round's time as a share of its real-time duration.
void BM_HundredInstances(benchmark::State& state) {
  constexpr int kInstances = 100;
  std::vector<std::unique_ptr<EchoEngine>> engines;
  const EchoParams p = busyParams();
  NoiseBlock<float> io;
  const float* ins[2] = {io.left.data(), io.right.data()};
  float* outs[2] = {io.outL.data(), io.outR.data()};
  for (int i = 0; i < kInstances; ++i) {
    engines.push_back(std::make_unique<EchoEngine>());
    engines.back()->setTickSource(&fixedTick);
    engines.back()->sampleRateChanged(kRate, p);
    for (int b = 0; b < 20; ++b) engines.back()->process(p, false, ins, outs, kBlock);
  }
  double total = 0.0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    for (auto& engine : engines) engine->process(p, false, ins, outs, kBlock);
    const auto t1 = Clock::now();
    benchmark::ClobberMemory();
    state.SetIterationTime(seconds(t0, t1));
    total += seconds(t0, t1);
  }
  const double perRound = total / static_cast<double>(state.iterations());
  state.counters["round_us"] = perRound * 1e6;
  state.counters["pct_of_realtime"] = 100.0 * perRound / (kBlock / static_cast<double>(kRate));
  state.counters["ns_per_instance_frame"] = perRound / (kInstances * kBlock) * 1e9;
}

}  // namespace

// Settled and gliding, on the widest loop and on the 128-bit one, with the
// vector erf and with the library's erf call by call.
static void everyGlideAndWidth(benchmark::internal::Benchmark* b) {
  b->ArgNames({"glide", "wide", "verf"});
  for (int verf : {1, 0}) {
    for (int wide : {1, 0}) {
      for (int glide : {0, 1}) b->Args({glide, wide, verf});
    }
  }
}

BENCHMARK_TEMPLATE(BM_EchoProcess, float, false)->Apply(everyGlideAndWidth)->UseManualTime();
BENCHMARK_TEMPLATE(BM_EchoProcess, double, false)->Apply(everyGlideAndWidth)->UseManualTime();
BENCHMARK_TEMPLATE(BM_EchoProcess, float, true)
    ->ArgNames({"glide", "wide", "verf"})
    ->Args({0, 1, 1})
    ->UseManualTime();
BENCHMARK_TEMPLATE(BM_EchoProcess, double, true)
    ->ArgNames({"glide", "wide", "verf"})
    ->Args({0, 1, 1})
    ->UseManualTime();
BENCHMARK(BM_StretchBothLines)
    ->ArgNames({"splice", "wide"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_DelayAutomationWorstCase)
    ->ArgName("rate")
    ->Arg(48000)
    ->Arg(96000)
    ->Arg(192000)
    ->Iterations(24000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemoryPerInstance)->ArgName("rate")->Arg(48000)->Arg(192000)->Iterations(1);
BENCHMARK(BM_RestartFirstBlocks)->Iterations(5)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HundredInstances)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
