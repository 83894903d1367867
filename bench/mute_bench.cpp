// What "Mute" costs the audio thread, measured on the built plug-in through
// its entry point as a host drives it (64-frame blocks):
//   - MuteAutomation: "Mute" stored before every block, as a host playing an
//     automation lane does, against "Mute" set once; real-time factors and
//     their ratio (target: re-sent within 10% of set once);
//   - FirstMuteLongestBlock: the longest block after "Mute" is switched on
//     behind lines holding 2.6 s, as a share of the block's duration (target:
//     at most 25%): per block position the fastest of seven runs, then the
//     longest of those; p99 and the longest of any run beside it;
//   - SteadyState: the echo and the muted path with nothing stored, real-time
//     factor, to compare with the library before a change in the same run.
// QUILLET_BEFORE=/path/to/QTAP_x64.so adds every figure for that library too.
// Times are the CPU time of the processing thread, so that the other work of a
// shared machine does not count; "Mute" stores are timed with the block they
// precede, since before the stores were queued the clearing ran inside them.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "vst/interface/vst2_interface.h"

namespace {

constexpr int kBlock = 64;

// CPU time of the process, in seconds (to the microsecond); the benchmark
// runs on one thread, so it is that thread's.
double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

enum { kDelay = 0, kRepeat = 1, kLevel = 2, kRange = 3, kMute = 4 };

// One instance of a plug-in library, with a block of noise to process.
class Instance {
 public:
  Instance(const std::string& path, float rate) {
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry =
        library ? reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain")) : nullptr;
    e = entry ? entry(&hostCallback) : nullptr;
    if (!e) return;
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
    e->dispatcher(e, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::mt19937 gen(1);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    for (float& x : in) x = dist(gen);
  }
  ~Instance() {
    if (e) e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    if (library) dlclose(library);
  }
  bool ok() const { return e != nullptr; }
  void set(VstInt32 index, float value) { e->setParameter(e, index, value); }
  void block() {
    float* ins[2] = {in, in + kBlock};
    float* outs[2] = {out, out + kBlock};
    e->processReplacing(e, ins, outs, kBlock);
    benchmark::DoNotOptimize(out[0]);
  }

 private:
  void* library = nullptr;
  AEffect* e = nullptr;
  float in[2 * kBlock] = {};
  float out[2 * kBlock] = {};
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Real-time factor of `blocks` blocks, with "Mute" on from the start and,
// if resend, stored again before every block.
double muteRealTimeFactor(const std::string& path, float rate, bool resend, int blocks) {
  Instance fx(path, rate);
  if (!fx.ok()) return 0.0;
  fx.set(kMute, 1.0f);
  const double start = cpuSeconds();
  for (int i = 0; i < blocks; ++i) {
    if (resend) fx.set(kMute, 1.0f);
    fx.block();
  }
  return blocks * kBlock / static_cast<double>(rate) / (cpuSeconds() - start);
}

void muteAutomation(benchmark::State& state, std::string path) {
  const float rate = static_cast<float>(state.range(0));
  const int blocks = static_cast<int>(rate / kBlock);  // one second of audio
  std::vector<double> once, resent;
  for (auto _ : state) {
    // Interleaved, so that a busy moment of a shared machine hits both alike.
    for (int round = 0; round < 5; ++round) {
      once.push_back(muteRealTimeFactor(path, rate, false, blocks));
      resent.push_back(muteRealTimeFactor(path, rate, true, blocks));
    }
  }
  if (median(once) <= 0.0) state.SkipWithError("cannot load the plug-in");
  state.counters["rtf_set_once"] = median(once);
  state.counters["rtf_resent"] = median(resent);
  state.counters["resent_vs_once"] = median(resent) / median(once);
}

void firstMuteLongestBlock(benchmark::State& state, std::string path) {
  const float rate = static_cast<float>(state.range(0));
  const double blockSeconds = kBlock / static_cast<double>(rate);
  Instance fx(path, rate);
  if (!fx.ok()) {
    state.SkipWithError("cannot load the plug-in");
    return;
  }
  fx.set(kDelay, 1.0f);  // 2.6 s lines
  fx.set(kRange, 1.0f);
  fx.set(kRepeat, 0.5f);
  fx.set(kLevel, 1.0f);
  constexpr int kWatched = 400;  // blocks after the store; the clear takes about 120
  std::vector<double> longest;
  std::vector<double> muteStoreBlock;
  // Per position after the store, the fastest over all runs: a cost the mute
  // puts on that block shows in every run, a busy moment of the machine only
  // in some.
  std::vector<double> fastestAt(kWatched, 1e9);
  std::vector<double> all;
  for (auto _ : state) {
    fx.set(kMute, 0.0f);
    const int playBlocks = static_cast<int>(2.7 * rate / kBlock);
    for (int i = 0; i < playBlocks; ++i) fx.block();
    double worst = 0.0;
    // Long enough for a clear spread over the muted blocks to finish.
    for (int i = 0; i < kWatched; ++i) {
      const double start = cpuSeconds();
      if (i == 0) fx.set(kMute, 1.0f);
      fx.block();
      const double t = (cpuSeconds() - start);
      worst = std::max(worst, t);
      if (i == 0) muteStoreBlock.push_back(t);
      fastestAt[i] = std::min(fastestAt[i], t);
      all.push_back(t);
    }
    longest.push_back(worst);
    state.SetIterationTime(worst);
  }
  std::sort(all.begin(), all.end());
  state.counters["longest_pct_of_block"] =
      100.0 * *std::max_element(fastestAt.begin(), fastestAt.end()) / blockSeconds;
  state.counters["p99_pct"] = 100.0 * all[all.size() * 99 / 100] / blockSeconds;
  state.counters["longest_any_run_pct"] = 100.0 * all.back() / blockSeconds;
  state.counters["store_and_first_block_pct"] = 100.0 * median(muteStoreBlock) / blockSeconds;
}

void steadyState(benchmark::State& state, std::string path) {
  const float rate = static_cast<float>(state.range(0));
  const bool muted = state.range(1) != 0;
  Instance fx(path, rate);
  if (!fx.ok()) {
    state.SkipWithError("cannot load the plug-in");
    return;
  }
  fx.set(kRepeat, 0.6f);
  fx.set(kLevel, 1.0f);
  fx.set(kMute, muted ? 1.0f : 0.0f);
  const int blocks = static_cast<int>(rate / kBlock);
  for (int i = 0; i < blocks; ++i) fx.block();  // past the glides and the clear
  std::vector<double> rtf;
  for (auto _ : state) {
    const double start = cpuSeconds();
    for (int i = 0; i < blocks; ++i) fx.block();
    const double t = (cpuSeconds() - start);
    state.SetIterationTime(t);
    rtf.push_back(blocks * kBlock / static_cast<double>(rate) / t);
  }
  state.counters["rtf"] = median(rtf);
  state.counters["ns_per_frame"] = 1e9 / (median(rtf) * rate);
}

void registerFor(const std::string& label, const std::string& path) {
  benchmark::RegisterBenchmark(("MuteAutomation/" + label).c_str(), muteAutomation, path)
      ->ArgName("rate")
      ->Arg(96000)
      ->Arg(192000)
      ->Iterations(1)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("FirstMuteLongestBlock/" + label).c_str(), firstMuteLongestBlock,
                               path)
      ->ArgName("rate")
      ->Arg(192000)
      ->Iterations(7)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("SteadyState/" + label).c_str(), steadyState, path)
      ->ArgNames({"rate", "muted"})
      ->Args({48000, 0})
      ->Args({192000, 0})
      ->Args({192000, 1})
      ->Iterations(9)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  registerFor("now", QTAP_PATH);
  if (const char* before = std::getenv("QUILLET_BEFORE")) registerFor("before", before);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
