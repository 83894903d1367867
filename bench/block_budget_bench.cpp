// What a block costs the audio thread at its worst, measured on the built
// VST 2.4 library (QTAP_x64) driven through its entry point as a host does:
// thread CPU time per block, the values a block is handed stored just before
// it and timed with it.
//
//   - Budget/<load>: the longest block and the 99.9th percentile as a share of
//     the block's duration, at 48, 96 and 192 kHz in blocks of 32, 64 and 512
//     frames, behind lines that hold 2.6 s of loud echoes, for
//       mute:   "Mute" switched on and off every block;
//       delay:  "Delay" ridden up and down the long range, a new length every
//               block;
//       range:  "Range" flipped between its second and third position;
//       random: every value random every block.
//     in_place_pass_pct beside them is one pass that reads and rewrites two
//     arrays as long as the longest lines, measured in the same run: what
//     the memory system allows a stretch of them. Three runs of the same 3000
//     blocks: worst_pct and p999_pct are of each block's fastest run, so that
//     what interrupted the thread once does not count but a block that is
//     slow every time does; worst_any_pct is the longest block as it came
//     (median of the runs), interruptions and all.
//   - Short/<frames>: what a block of 1 to 64 frames costs (48 kHz), the
//     values settled or "Level" gliding: the pieces a VST3 or CLAP block is
//     split into at its automation points are such blocks. ns per block and
//     per frame, and per_block_ns, what a block costs beyond its frames (the
//     block's time less as many frames of a 512-frame block).
//   - Steady: the echo with values moved after setup, once they have come to
//     rest, against the same values set before setup (48 kHz, 512 frames,
//     the two instances timed block by block in turn).
//   - Points/<edition>/<load>: the VST3 and CLAP editions through
//     quillet-host's loaders, a host's values at their frames, at 192 kHz in
//     32 and 64 frames and at 48 kHz in 32, behind lines full of 2.6 s of
//     echoes: `delay`, a "Delay" point on every frame riding the long range
//     up and down; `range`, "Range" flipped between its second and third
//     position at every block's first frame. The same figures as Budget's
//     (the loader's own work per block included).
//   - Points/<edition>/mute*: "Mute" behind the same lines, in VST 2.4 too
//     (its loader; a block's first value set before it, as a host that does
//     not split its blocks does), at 192 kHz in 32 and 64 frames: `mute`,
//     switched on and off every block; `mute_delay` and `mute_range`, on for
//     one block in every 16 during the "Delay" ride or the "Range" flips,
//     which hold still in that block and the next. The blocks after "Mute"
//     are where the lines that count as empty would be zeroed.
// QUILLET_BEFORE=/path/to/other/QTAP_x64.so adds every Budget, Short and
// Steady figure for another build of the library, each case right after
// this build's; QUILLET_BEFORE_DIR=/dir holding "Quillet K3.vst3",
// QuilletK3.clap and QTAP_x64.so of another build adds the Points figures.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/plugin/clap/clap_audio_plugin.h"
#include "host/plugin/clap/clap_instance.h"
#include "host/plugin/vst2/plugin_host.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/plugin/vst3/vst3_audio_plugin.h"
#include "host/plugin/vst3/vst3_instance.h"
#include "host/plugin/vst3/vst3_module.h"
#include "vst/interface/vst2_interface.h"

namespace {

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

enum {
  kDelay = 0,
  kRepeat,
  kLevel,
  kRange,
  kMute,
  kDry,
  kPan,
  kXFeed,
  kMonoOut,
  kKnobDust,
  kPingPong,
  kParams
};

// One instance of a plug-in library, with blocks of noise to process.
class Instance {
 public:
  Instance(const std::string& path, int block) : block(block), in(2 * block), out(2 * block) {
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry =
        library ? reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain")) : nullptr;
    e = entry ? entry(&hostCallback) : nullptr;
    if (!e) return;
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    std::mt19937 gen(1);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    for (float& x : in) x = dist(gen);
  }
  ~Instance() {
    if (e) e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    if (library) dlclose(library);
  }
  bool ok() const { return e != nullptr; }
  void start(float rate) {
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
    e->dispatcher(e, effSetBlockSize, 0, block, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  }
  void set(VstInt32 index, float value) { e->setParameter(e, index, value); }
  void run() {
    float* ins[2] = {in.data(), in.data() + block};
    float* outs[2] = {out.data(), out.data() + block};
    e->processReplacing(e, ins, outs, block);
    benchmark::DoNotOptimize(out[0]);
  }

 private:
  int block;
  void* library = nullptr;
  AEffect* e = nullptr;
  std::vector<float> in, out;
};

double median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

enum class Load { kMute, kDelay, kRange, kRandom };

// The values the block with this number is handed.
class LoadSource {
 public:
  explicit LoadSource(Load load) : load(load) {}
  void before(Instance& fx, int blockNumber) {
    switch (load) {
      case Load::kMute:
        fx.set(kMute, blockNumber % 2 ? 0.0f : 1.0f);
        break;
      case Load::kDelay: {
        // A triangle over the long range, 1500 blocks each way.
        const int phase = blockNumber % 3000;
        fx.set(kDelay, static_cast<float>(phase < 1500 ? phase : 3000 - phase) / 1500.0f);
        break;
      }
      case Load::kRange:
        fx.set(kRange, blockNumber % 2 ? 0.5f : 1.0f);
        break;
      case Load::kRandom:
        for (int i = 0; i < kParams; ++i) fx.set(i, unit(gen));
        break;
    }
  }

 private:
  Load load;
  std::mt19937 gen{7};
  std::uniform_real_distribution<float> unit{0.0f, 1.0f};
};

// One pass that reads and rewrites two arrays of `elements` doubles: the
// fastest of five.
double inPlacePassSeconds(int32_t elements) {
  static std::vector<double> a, b;
  a.assign(static_cast<size_t>(elements), 0.25);
  b.assign(static_cast<size_t>(elements), -0.25);
  double fastest = 1e9;
  for (int rep = 0; rep < 5; ++rep) {
    const double start = threadSeconds();
    for (std::vector<double>* line : {&a, &b})
      for (double& x : *line) x = x * 0.5 + 1e-9;
    benchmark::ClobberMemory();
    fastest = std::min(fastest, threadSeconds() - start);
  }
  return fastest;
}

constexpr int kTimedBlocks = 3000;

void budget(benchmark::State& state, std::string path, Load load) {
  const float rate = static_cast<float>(state.range(0));
  const int block = static_cast<int>(state.range(1));
  const double blockSeconds = block / static_cast<double>(rate);
  std::vector<double> fastestAt(kTimedBlocks, 1e9), longest, pass;
  for (auto _ : state) {
    Instance fx(path, block);
    if (!fx.ok()) {
      state.SkipWithError("cannot load the plug-in");
      return;
    }
    // 2.6 s lines full of loud echoes.
    fx.set(kDelay, 1.0f);
    fx.set(kRange, 1.0f);
    fx.set(kRepeat, 0.7f);
    fx.set(kLevel, 1.0f);
    fx.set(kKnobDust, 0.0f);  // with the splice
    fx.start(rate);
    const int fill = static_cast<int>(2.7 * rate / block);
    for (int i = 0; i < fill; ++i) fx.run();

    LoadSource source(load);
    double worstHere = 0.0;
    for (int b = 0; b < kTimedBlocks; ++b) {
      const double start = threadSeconds();
      source.before(fx, b);
      fx.run();
      const double t = threadSeconds() - start;
      fastestAt[b] = std::min(fastestAt[b], t);
      worstHere = std::max(worstHere, t);
    }
    longest.push_back(worstHere / blockSeconds);
    pass.push_back(inPlacePassSeconds(static_cast<int32_t>(static_cast<double>(rate) * 2.6)) /
                   blockSeconds);
    state.SetIterationTime(worstHere);
  }
  std::vector<double> sorted = fastestAt;
  std::sort(sorted.begin(), sorted.end());
  const double worst = sorted.back() / blockSeconds;
  state.counters["worst_pct"] = 100.0 * worst;
  state.counters["p999_pct"] = 100.0 * sorted[sorted.size() * 999 / 1000] / blockSeconds;
  state.counters["median_pct"] = 100.0 * sorted[sorted.size() / 2] / blockSeconds;
  state.counters["worst_any_pct"] = 100.0 * median(longest);
  state.counters["in_place_pass_pct"] = 100.0 * median(pass);
  state.counters["worst_vs_pass"] = worst / median(pass);
}

// Values moved after setup against the same values set before it, once the
// moved ones have come to rest: the two instances run block by block in turn.
void steady(benchmark::State& state, std::string path) {
  constexpr float kRate = 48000.0f;
  constexpr int kBlock = 512;
  const float values[][2] = {{kRepeat, 0.6f}, {kLevel, 0.8f}, {kDry, 0.7f},
                             {kPan, 0.4f},    {kXFeed, 0.3f}, {kDelay, 0.5f}};
  Instance before(path, kBlock), after(path, kBlock);
  if (!before.ok() || !after.ok()) {
    state.SkipWithError("cannot load the plug-in");
    return;
  }
  for (const auto& v : values) before.set(static_cast<int>(v[0]), v[1]);
  before.start(kRate);
  after.start(kRate);
  for (const auto& v : values) after.set(static_cast<int>(v[0]), v[1]);
  for (int i = 0; i < 200; ++i) {  // past every glide: two seconds
    before.run();
    after.run();
  }
  std::vector<double> setBefore, movedAfter;
  for (auto _ : state) {
    for (int i = 0; i < 50; ++i) {
      double start = threadSeconds();
      before.run();
      setBefore.push_back(threadSeconds() - start);
      start = threadSeconds();
      after.run();
      movedAfter.push_back(threadSeconds() - start);
    }
  }
  state.counters["set_before_us"] = 1e6 * median(setBefore);
  state.counters["moved_after_us"] = 1e6 * median(movedAfter);
  state.counters["moved_vs_set"] = median(movedAfter) / median(setBefore);
}

// Blocks of `frames` frames in turn with 512-frame blocks of a second
// instance, the same values on both.
void shortBlocks(benchmark::State& state, std::string path) {
  const int frames = static_cast<int>(state.range(0));
  const bool gliding = state.range(1) != 0;
  constexpr float kRate = 48000.0f;
  Instance fx(path, frames), whole(path, 512);
  if (!fx.ok() || !whole.ok()) {
    state.SkipWithError("cannot load the plug-in");
    return;
  }
  for (Instance* i : {&fx, &whole}) {
    i->set(kRepeat, 0.6f);
    i->set(kLevel, 0.8f);
    i->start(kRate);
    for (int b = 0; b < 100; ++b) i->run();
  }
  std::vector<double> piece, full;
  float level = 0.5f;
  int n = 0;
  for (auto _ : state) {
    // A new "Level" every 64 frames keeps it gliding.
    if (gliding && n++ % (64 / frames + 1) == 0) {
      level = level > 0.9f ? 0.5f : level + 0.01f;
      fx.set(kLevel, level);
    }
    double start = threadSeconds();
    for (int r = 0; r < 16; ++r) fx.run();
    piece.push_back((threadSeconds() - start) / 16.0);
    if (piece.size() % 32 == 0) {
      if (gliding) whole.set(kLevel, level);
      start = threadSeconds();
      whole.run();
      full.push_back(threadSeconds() - start);
    }
  }
  const double perFrameWhole = median(full) / 512.0;
  state.counters["ns_per_block"] = 1e9 * median(piece);
  state.counters["ns_per_frame"] = 1e9 * median(piece) / frames;
  state.counters["per_block_ns"] = 1e9 * (median(piece) - frames * perFrameWhole);
}

// ---- VST3, CLAP and VST 2.4 through quillet-host's loaders -----------------

enum class Hosted { kVst3, kClap, kVst2 };

// One instance of the VST3, CLAP or VST 2.4 edition, with blocks of noise to
// process and values to hand at their frames.
class HostedInstance {
 public:
  HostedInstance(Hosted kind, const std::string& path, int block)
      : block(block), in(2 * block), out(2 * block) {
    std::string error;
    if (kind == Hosted::kVst3) {
      vst3Module = quillet::host::vst3::Vst3Module::load(path, &error);
      if (vst3Module) vst3 = quillet::host::vst3::Vst3Instance::open(*vst3Module, &error);
      if (vst3) plugin = std::make_unique<quillet::host::vst3::Vst3AudioPlugin>(*vst3);
    } else if (kind == Hosted::kVst2) {
      vst2Library = quillet::host::PluginLibrary::load(path, &error);
      if (vst2Library) vst2 = quillet::host::PluginInstance::create(*vst2Library, &error);
      if (vst2) plugin = std::make_unique<quillet::host::Vst2AudioPlugin>(*vst2);
    } else {
      clapModule = quillet::host::ClapModule::load(path, &error);
      if (clapModule) clap = quillet::host::ClapInstance::create(*clapModule, &error);
      if (clap) plugin = std::make_unique<quillet::host::ClapAudioPlugin>(*clap);
    }
    std::mt19937 gen(1);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    for (float& x : in) x = dist(gen);
  }
  ~HostedInstance() {
    if (plugin && started) plugin->stopProcessing();
    plugin.reset();
    vst3.reset();
    clap.reset();
    vst2.reset();
  }
  bool ok() const { return plugin != nullptr; }
  void set(uint32_t index, float value) { plugin->setParameter(index, value); }
  void start(float rate) {
    plugin->startProcessing(rate, static_cast<uint32_t>(block), false, 120.0);
    started = true;
  }
  // Where the format takes no values at frames (VST 2.4), a block's first
  // value is set before it and the others are dropped.
  void setAt(uint32_t index, float value, uint32_t frame) {
    if (!plugin->setParameterAt(index, value, frame) && frame == 0)
      plugin->setParameter(index, value);
  }
  void run() {
    float* ins[2] = {in.data(), in.data() + block};
    float* outs[2] = {out.data(), out.data() + block};
    plugin->process(ins, outs, static_cast<uint32_t>(block));
    benchmark::DoNotOptimize(out[0]);
  }

 private:
  int block;
  std::unique_ptr<quillet::host::vst3::Vst3Module> vst3Module;
  std::unique_ptr<quillet::host::vst3::Vst3Instance> vst3;
  std::unique_ptr<quillet::host::ClapModule> clapModule;
  std::unique_ptr<quillet::host::ClapInstance> clap;
  std::unique_ptr<quillet::host::PluginLibrary> vst2Library;
  std::unique_ptr<quillet::host::PluginInstance> vst2;
  std::unique_ptr<quillet::host::AudioPlugin> plugin;
  bool started = false;
  std::vector<float> in, out;
};

enum class PointLoad {
  kDelayEveryFrame,
  kRangeEveryBlock,
  kMuteEveryBlock,
  kMuteInDelayRide,
  kMuteInRangeFlips
};

// The values block b is handed, at their frames.
void handPoints(HostedInstance& fx, PointLoad load, int b, int block) {
  const auto ride = [&] {
    // A triangle over the long range, 1500 blocks each way, a point a frame.
    for (int f = 0; f < block; ++f) {
      const double phase = std::fmod((b + static_cast<double>(f) / block) / 1500.0, 2.0);
      fx.setAt(kDelay, static_cast<float>(phase < 1.0 ? 1.0 - phase : phase - 1.0), f);
    }
  };
  const auto flip = [&] { fx.setAt(kRange, b % 2 ? 0.5f : 1.0f, 0); };
  // "Mute" on for block 0 of every 16, off from block 1; the ride or the
  // flips hold still in both.
  const int inCycle = b % 16;
  const bool muteMoves = inCycle < 2;
  if (muteMoves && (load == PointLoad::kMuteInDelayRide || load == PointLoad::kMuteInRangeFlips))
    fx.setAt(kMute, inCycle == 0 ? 1.0f : 0.0f, 0);
  switch (load) {
    case PointLoad::kDelayEveryFrame:
      ride();
      break;
    case PointLoad::kRangeEveryBlock:
      flip();
      break;
    case PointLoad::kMuteEveryBlock:
      fx.setAt(kMute, b % 2 ? 0.0f : 1.0f, 0);
      break;
    case PointLoad::kMuteInDelayRide:
      if (!muteMoves) ride();
      break;
    case PointLoad::kMuteInRangeFlips:
      if (!muteMoves) flip();
      break;
  }
}

void points(benchmark::State& state, Hosted kind, std::string path, PointLoad load) {
  const float rate = static_cast<float>(state.range(0));
  const int block = static_cast<int>(state.range(1));
  const double blockSeconds = block / static_cast<double>(rate);
  std::vector<double> fastestAt(kTimedBlocks, 1e9), longest;
  for (auto _ : state) {
    HostedInstance fx(kind, path, block);
    if (!fx.ok()) {
      state.SkipWithError(("cannot load " + path).c_str());
      return;
    }
    // 2.6 s lines full of loud echoes, with the splice.
    fx.set(kDelay, 1.0f);
    fx.set(kRange, 1.0f);
    fx.set(kRepeat, 0.7f);
    fx.set(kLevel, 1.0f);
    fx.set(kKnobDust, 0.0f);
    fx.start(rate);
    const int fill = static_cast<int>(2.7 * rate / block);
    for (int i = 0; i < fill; ++i) fx.run();

    double worstHere = 0.0;
    for (int b = 0; b < kTimedBlocks; ++b) {
      const double start = threadSeconds();
      handPoints(fx, load, b, block);
      fx.run();
      const double t = threadSeconds() - start;
      fastestAt[b] = std::min(fastestAt[b], t);
      worstHere = std::max(worstHere, t);
    }
    longest.push_back(worstHere / blockSeconds);
    state.SetIterationTime(worstHere);
  }
  std::vector<double> sorted = fastestAt;
  std::sort(sorted.begin(), sorted.end());
  state.counters["worst_pct"] = 100.0 * sorted.back() / blockSeconds;
  state.counters["p999_pct"] = 100.0 * sorted[sorted.size() * 999 / 1000] / blockSeconds;
  state.counters["median_pct"] = 100.0 * sorted[sorted.size() / 2] / blockSeconds;
  state.counters["worst_any_pct"] = 100.0 * median(longest);
}

void registerCase(const std::string& label, const std::string& path, const char* name, Load load,
                  int64_t rate, int64_t block) {
  benchmark::RegisterBenchmark(("Budget/" + std::string(name) + "/" + label).c_str(), budget, path,
                               load)
      ->ArgNames({"rate", "block"})
      ->Args({rate, block})
      ->Iterations(3)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::pair<std::string, std::string>> libraries = {{"now", QTAP_PATH}};
  if (const char* other = std::getenv("QUILLET_BEFORE")) libraries.emplace_back("before", other);
  const std::pair<const char*, Load> loads[] = {{"mute", Load::kMute},
                                                {"delay", Load::kDelay},
                                                {"range", Load::kRange},
                                                {"random", Load::kRandom}};
  for (const auto& [name, load] : loads)
    for (int64_t rate : {48000, 96000, 192000})
      for (int64_t block : {32, 64, 512})
        for (const auto& [label, path] : libraries)
          registerCase(label, path, name, load, rate, block);
  std::vector<std::pair<std::string, std::string>> bundles = {{"now", ""}};
  if (const char* dir = std::getenv("QUILLET_BEFORE_DIR")) bundles.emplace_back("before", dir);
  struct PointCase {
    const char* name;
    PointLoad load;
    bool mute;  // in VST 2.4 too, at 192 kHz only
  };
  const PointCase pointLoads[] = {{"delay", PointLoad::kDelayEveryFrame, false},
                                  {"range", PointLoad::kRangeEveryBlock, false},
                                  {"mute", PointLoad::kMuteEveryBlock, true},
                                  {"mute_delay", PointLoad::kMuteInDelayRide, true},
                                  {"mute_range", PointLoad::kMuteInRangeFlips, true}};
  const std::pair<Hosted, const char*> editions[] = {
      {Hosted::kVst3, "VST3"}, {Hosted::kClap, "CLAP"}, {Hosted::kVst2, "VST2"}};
  const auto editionPath = [](Hosted kind, const std::string& dir) -> std::string {
    if (kind == Hosted::kVst3) return dir.empty() ? VST3_BUNDLE_PATH : dir + "/Quillet K3.vst3";
    if (kind == Hosted::kClap) return dir.empty() ? QUILLET_CLAP_PATH : dir + "/QuilletK3.clap";
    return dir.empty() ? QTAP_PATH : dir + "/QTAP_x64.so";
  };
  for (const auto& [loadName, load, mute] : pointLoads)
    for (const auto& [rate, block] :
         {std::pair<int64_t, int64_t>{192000, 32}, {192000, 64}, {48000, 32}})
      for (const auto& [kind, name] : editions)
        for (const auto& [label, dir] : bundles) {
          if (mute ? rate != 192000 : kind == Hosted::kVst2) continue;
          const std::string path = editionPath(kind, dir);
          benchmark::RegisterBenchmark(
              ("Points/" + std::string(name) + "/" + loadName + "/" + label).c_str(), points, kind,
              path, load)
              ->ArgNames({"rate", "block"})
              ->Args({rate, block})
              ->Iterations(3)
              ->UseManualTime()
              ->Unit(benchmark::kMicrosecond);
        }
  for (int64_t frames : {1, 2, 4, 8, 16, 64})
    for (const auto& [label, path] : libraries)
      benchmark::RegisterBenchmark(("Short/" + label).c_str(), shortBlocks, path)
          ->ArgNames({"frames", "glide"})
          ->Args({frames, 0})
          ->Args({frames, 1})
          ->Iterations(20000);
  for (const auto& [label, path] : libraries)
    benchmark::RegisterBenchmark(("Steady/" + label).c_str(), steady, path)
        ->Iterations(60)
        ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
