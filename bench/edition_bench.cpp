// Each built edition as a host meets it, through quillet-host's loaders (an
// LV2 host's steps written out here):
//   - Scan/<edition>: a host's scan, the library loaded, one instance made and
//     destroyed, the library unloaded; wall time, median of 41 scans and the
//     first one (which finds the library's pages on disk, not in the cache).
//   - Memory/<edition>: resident memory one more instance takes, at 48 and
//     192 kHz, set up and run at the longest echo for a few blocks: the growth
//     of the resident set over four instances, per instance, with one
//     instance made first so that the library's own pages are counted
//     before; each in a child process of its own, whose heap holds nothing
//     freed by earlier cases. host_side_MiB is what of it quillet-host's own
//     objects for an instance take (its VST3 parameter queues are 0.4 MiB),
//     edition_MiB the rest: the plug-in's.
//   - Block/<edition>: a 1-frame and a 64-frame block at 48 kHz, values
//     settled, and per_block_ns, what a block costs whatever its length (the
//     loader's own work per block included).
//   - Steady: the steady echo of every edition in one process, at 48 and
//     192 kHz in blocks of 64 and 512: each edition's thread CPU time per
//     frame (median of its batches), in three rounds that take the editions
//     in turn, and each one's time as a share of the VST 2.4 edition's
//     (QTAP_x64) of the same build.
// QUILLET_BEFORE_DIR=/dir holding QTAP_x64.so, QTAPG_x64.so, "Quillet K3.vst3",
// QuilletK3.clap and quillet-k3.lv2/ of another build adds their figures.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin/clap/clap_audio_plugin.h"
#include "host/plugin/clap/clap_instance.h"
#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/plugin/vst3/vst3_audio_plugin.h"
#include "host/plugin/vst3/vst3_instance.h"
#include "host/plugin/vst3/vst3_module.h"

namespace {

using Clock = std::chrono::steady_clock;

double residentBytes() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0.0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

double median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

constexpr uint32_t kBlock = 512;

// An instance, ready to process noise at a rate.
class Running {
 public:
  virtual ~Running() = default;
  void run() { runFrames(kBlock); }
  virtual void runFrames(uint32_t frames) = 0;
};

// Every edition quillet-host loads: its AudioPlugin, at the longest echo.
class HostedRunning : public Running {
 public:
  void begin(quillet::host::AudioPlugin& plugin, double rate) {
    audio = &plugin;
    if (rate <= 0.0) return;       // made only
    plugin.setParameter(0, 1.0f);  // "Delay"
    plugin.setParameter(3, 1.0f);  // "Range"
    plugin.setParameter(1, 0.7f);  // "Repeat"
    plugin.startProcessing(rate, kBlock, false, 120.0);
    started = true;
    for (uint32_t i = 0; i < kBlock; ++i) in[0][i] = in[1][i] = (i % 7) * 0.1f - 0.3f;
  }
  void runFrames(uint32_t frames) override {
    if (!started) return;
    float* i[2] = {in[0], in[1]};
    float* o[2] = {out[0], out[1]};
    audio->process(i, o, frames);
  }

 private:
  quillet::host::AudioPlugin* audio = nullptr;
  bool started = false;
  float in[2][kBlock] = {};
  float out[2][kBlock] = {};
};

// ---- VST 2.4 ----------------------------------------------------------------

struct Vst2Library {
  explicit Vst2Library(const std::string& path) {
    std::string error;
    library = quillet::host::PluginLibrary::load(path, &error);
  }
  std::unique_ptr<quillet::host::PluginLibrary> library;
};

class Vst2Running final : public HostedRunning {
 public:
  Vst2Running(const quillet::host::PluginLibrary& library, double rate) {
    std::string error;
    instance = quillet::host::openInstance(library, &error);
    if (!instance) return;
    audio = std::make_unique<quillet::host::Vst2AudioPlugin>(*instance);
    begin(*audio, rate);
  }
  bool ok() const { return audio != nullptr; }

 private:
  std::unique_ptr<quillet::host::PluginInstance> instance;
  std::unique_ptr<quillet::host::Vst2AudioPlugin> audio;
};

// ---- VST3 ---------------------------------------------------------------------

class Vst3Running final : public HostedRunning {
 public:
  Vst3Running(const quillet::host::vst3::Vst3Module& module, double rate) {
    std::string error;
    instance = quillet::host::vst3::Vst3Instance::open(module, &error);
    if (!instance) return;
    audio = std::make_unique<quillet::host::vst3::Vst3AudioPlugin>(*instance);
    begin(*audio, rate);
  }
  ~Vst3Running() override {
    audio.reset();
    instance.reset();
  }
  bool ok() const { return audio != nullptr; }

 private:
  std::unique_ptr<quillet::host::vst3::Vst3Instance> instance;
  std::unique_ptr<quillet::host::vst3::Vst3AudioPlugin> audio;
};

// ---- CLAP ---------------------------------------------------------------------

class ClapRunning final : public HostedRunning {
 public:
  ClapRunning(const quillet::host::ClapModule& module, double rate) {
    std::string error;
    instance = quillet::host::ClapInstance::create(module, &error);
    if (!instance) return;
    audio = std::make_unique<quillet::host::ClapAudioPlugin>(*instance);
    begin(*audio, rate);
  }
  ~ClapRunning() override {
    audio.reset();
    instance.reset();
  }
  bool ok() const { return audio != nullptr; }

 private:
  std::unique_ptr<quillet::host::ClapInstance> instance;
  std::unique_ptr<quillet::host::ClapAudioPlugin> audio;
};

// ---- LV2 ----------------------------------------------------------------------

// The URID map an LV2 host hands its plug-ins.
class UridMap {
 public:
  UridMap() : map{this, &UridMap::mapUri}, feature{LV2_URID__map, &map} {}
  const LV2_Feature* mapFeature() const { return &feature; }

 private:
  static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    auto& ids = static_cast<UridMap*>(handle)->ids;
    return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
  }
  std::map<std::string, LV2_URID> ids;
  LV2_URID_Map map;
  LV2_Feature feature;
};

struct Lv2Library {
  explicit Lv2Library(const std::string& bundle) : bundle(bundle) {
    handle = dlopen((bundle + "/quillet_k3_dsp.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    using DescriptorFn = const LV2_Descriptor* (*)(uint32_t);
    auto fn = handle ? reinterpret_cast<DescriptorFn>(dlsym(handle, "lv2_descriptor")) : nullptr;
    descriptor = fn ? fn(0) : nullptr;
  }
  ~Lv2Library() {
    if (handle) dlclose(handle);
  }
  std::string bundle;
  void* handle = nullptr;
  const LV2_Descriptor* descriptor = nullptr;
  UridMap urids;
};

// The ports as the plug-in numbers them: the eleven controls, the four audio
// ports, the event input and the host's tempo.
constexpr uint32_t kLv2Controls = 11;

class Lv2Running final : public Running {
 public:
  Lv2Running(Lv2Library& library, double rate) : d(library.descriptor) {
    if (!d) return;
    const LV2_Feature* features[] = {library.urids.mapFeature(), nullptr};
    // An LV2 instance is made at its rate: "made only" is made at 48 kHz.
    handle =
        d->instantiate(d, rate > 0.0 ? rate : 48000.0, (library.bundle + "/").c_str(), features);
    if (!handle) return;
    for (uint32_t i = 0; i < kLv2Controls; ++i) d->connect_port(handle, i, &controls[i]);
    controls[0] = controls[3] = 1.0f;  // the longest echo
    controls[1] = 0.7f;
    controls[2] = 0.0f;
    controls[5] = 1.0f;
    controls[6] = 0.5f;
    controls[9] = 1.0f;
    for (uint32_t c = 0; c < 4; ++c) d->connect_port(handle, kLv2Controls + c, audio[c]);
    for (uint32_t i = 0; i < kBlock; ++i) audio[0][i] = audio[1][i] = (i % 7) * 0.1f - 0.3f;
    sequence[0] = sizeof(uint64_t);  // an empty atom sequence (its body only)
    d->connect_port(handle, kLv2Controls + 4, sequence);
    d->connect_port(handle, kLv2Controls + 5, &tempo);
    d->activate(handle);
  }
  ~Lv2Running() override {
    if (handle) {
      d->deactivate(handle);
      d->cleanup(handle);
    }
  }
  bool ok() const { return handle != nullptr; }
  void runFrames(uint32_t frames) override { d->run(handle, frames); }

 private:
  const LV2_Descriptor* d;
  LV2_Handle handle = nullptr;
  float controls[kLv2Controls] = {};
  float audio[4][kBlock] = {};
  alignas(8) uint32_t sequence[16] = {};
  float tempo = -1.0f;
};

// ---- the figures ----------------------------------------------------------------

enum class Kind { kVst2, kVst3, kClap, kLv2 };

struct Edition {
  std::string name;
  Kind kind;
  std::string path;
};

// One host's scan of the edition; false when it could not be made.
bool scanOnce(const Edition& e) {
  std::string error;
  switch (e.kind) {
    case Kind::kVst2: {
      quillet::host::OpenedPlugin opened;
      return quillet::host::openPlugin(e.path, &opened, &error);
    }
    case Kind::kVst3: {
      auto module = quillet::host::vst3::Vst3Module::load(e.path, &error);
      return module && quillet::host::vst3::Vst3Instance::open(*module, &error) != nullptr;
    }
    case Kind::kClap: {
      quillet::host::OpenedClap opened;
      return quillet::host::openClap(e.path, &opened, &error);
    }
    case Kind::kLv2: {
      Lv2Library library(e.path);
      if (!library.descriptor) return false;
      const LV2_Feature* features[] = {library.urids.mapFeature(), nullptr};
      LV2_Handle h = library.descriptor->instantiate(library.descriptor, 48000.0,
                                                     (e.path + "/").c_str(), features);
      if (h) library.descriptor->cleanup(h);
      return h != nullptr;
    }
  }
  return false;
}

void scan(benchmark::State& state, Edition e) {
  std::vector<double> times;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const bool ok = scanOnce(e);
    const auto t1 = Clock::now();
    if (!ok) {
      state.SkipWithError(("cannot scan " + e.path).c_str());
      return;
    }
    times.push_back(std::chrono::duration<double>(t1 - t0).count());
    state.SetIterationTime(times.back());
  }
  state.counters["first_ms"] = 1e3 * times.front();
  state.counters["median_ms"] = 1e3 * median(times);
}

// Resident bytes per instance: instances made one after another, each set up
// and run for a few blocks, the growth counted from the second on.
template <typename Make>
double bytesPerInstance(Make make) {
  constexpr int kCounted = 4;
  std::vector<std::unique_ptr<Running>> instances;
  auto add = [&] {
    std::unique_ptr<Running> r = make();
    if (!r) return false;
    for (int b = 0; b < 8; ++b) r->run();
    instances.push_back(std::move(r));
    return true;
  };
  if (!add()) return 0.0;
  const double before = residentBytes();
  for (int i = 0; i < kCounted; ++i)
    if (!add()) return 0.0;
  return (residentBytes() - before) / kCounted;
}

template <typename R, typename Library>
std::unique_ptr<Running> made(Library& library, double rate) {
  auto r = std::make_unique<R>(library, rate);
  if (!r->ok()) return nullptr;
  return r;
}

double bytesPerInstanceOf(const Edition& e, double rate) {
  std::string error;
  switch (e.kind) {
    case Kind::kVst2: {
      Vst2Library library(e.path);
      if (!library.library) return 0.0;
      return bytesPerInstance([&] { return made<Vst2Running>(*library.library, rate); });
    }
    case Kind::kVst3: {
      auto module = quillet::host::vst3::Vst3Module::load(e.path, &error);
      if (!module) return 0.0;
      return bytesPerInstance([&] { return made<Vst3Running>(*module, rate); });
    }
    case Kind::kClap: {
      auto module = quillet::host::ClapModule::load(e.path, &error);
      if (!module) return 0.0;
      return bytesPerInstance([&] { return made<ClapRunning>(*module, rate); });
    }
    case Kind::kLv2: {
      Lv2Library library(e.path);
      return bytesPerInstance([&] { return made<Lv2Running>(library, rate); });
    }
  }
  return 0.0;
}

// The same, worked out in a child process; 0 when it could not be.
double bytesPerInstanceInChild(const Edition& e, double rate) {
  int fds[2];
  if (pipe(fds) != 0) return 0.0;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const double bytes = bytesPerInstanceOf(e, rate);
    const ssize_t written = write(fds[1], &bytes, sizeof bytes);
    _exit(written == sizeof bytes ? 0 : 1);
  }
  close(fds[1]);
  double bytes = 0.0;
  if (child < 0 || read(fds[0], &bytes, sizeof bytes) != sizeof bytes) bytes = 0.0;
  close(fds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return bytes;
}

// The host's own objects per instance, by their size.
double hostSideBytes(Kind kind) {
  switch (kind) {
    case Kind::kVst2:
      return sizeof(quillet::host::PluginInstance) + sizeof(quillet::host::Vst2AudioPlugin);
    case Kind::kVst3:
      return sizeof(quillet::host::vst3::Vst3Instance) +
             sizeof(quillet::host::vst3::Vst3AudioPlugin);
    case Kind::kClap:
      return sizeof(quillet::host::ClapInstance) + sizeof(quillet::host::ClapHost) +
             sizeof(quillet::host::ClapAudioPlugin);
    case Kind::kLv2:
      return sizeof(Lv2Running);
  }
  return 0.0;
}

void memory(benchmark::State& state, Edition e) {
  const double rate = static_cast<double>(state.range(0));
  std::vector<double> bytes, made;
  for (auto _ : state) {
    bytes.push_back(bytesPerInstanceInChild(e, rate));
    made.push_back(bytesPerInstanceInChild(e, 0.0));
  }
  if (median(bytes) <= 0.0) {
    state.SkipWithError(("cannot run " + e.path).c_str());
    return;
  }
  constexpr double kMiB = 1024.0 * 1024.0;
  state.counters["MiB_per_instance"] = median(bytes) / kMiB;
  state.counters["host_side_MiB"] = hostSideBytes(e.kind) / kMiB;
  state.counters["edition_MiB"] = (median(bytes) - hostSideBytes(e.kind)) / kMiB;
  // Made and not set up: what an instance holds besides its delay lines (and,
  // for LV2, which is made at its rate, with them at 48 kHz).
  state.counters["MiB_made_only"] = median(made) / (1024.0 * 1024.0);
}

// Thread CPU time of `frames`-frame blocks, the median of `runs` runs of 20.
double blockSeconds(Running& r, uint32_t frames, int runs = 1000) {
  std::vector<double> t;
  for (int run = 0; run < runs; ++run) {
    timespec t0{}, t1{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
    for (int b = 0; b < 20; ++b) r.runFrames(frames);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
    t.push_back((static_cast<double>(t1.tv_sec - t0.tv_sec) +
                 1e-9 * static_cast<double>(t1.tv_nsec - t0.tv_nsec)) /
                20.0);
  }
  return median(t);
}

template <typename Make>
void blockCosts(benchmark::State& state, Make make) {
  std::unique_ptr<Running> r = make();
  if (!r) {
    state.SkipWithError("cannot run the edition");
    return;
  }
  for (int b = 0; b < 400; ++b) r->run();  // past the first sound and the glides
  double one = 0.0, many = 0.0;
  for (auto _ : state) {
    one = blockSeconds(*r, 1);
    many = blockSeconds(*r, 64);
  }
  state.counters["one_frame_ns"] = 1e9 * one;
  state.counters["64_frames_ns"] = 1e9 * many;
  // What a block costs whatever its length: one frame's block less a frame.
  state.counters["per_block_ns"] = 1e9 * (one - (many - one) / 63.0);
}

// What a block costs besides its frames, through the host's loader (its own
// per-block work included), 48 kHz, values settled.
void block(benchmark::State& state, Edition e) {
  const double rate = 48000.0;
  std::string error;
  switch (e.kind) {
    case Kind::kVst2: {
      Vst2Library library(e.path);
      if (library.library)
        blockCosts(state, [&] { return made<Vst2Running>(*library.library, rate); });
      break;
    }
    case Kind::kVst3: {
      auto module = quillet::host::vst3::Vst3Module::load(e.path, &error);
      if (module) blockCosts(state, [&] { return made<Vst3Running>(*module, rate); });
      break;
    }
    case Kind::kClap: {
      auto module = quillet::host::ClapModule::load(e.path, &error);
      if (module) blockCosts(state, [&] { return made<ClapRunning>(*module, rate); });
      break;
    }
    case Kind::kLv2: {
      Lv2Library library(e.path);
      blockCosts(state, [&] { return made<Lv2Running>(library, rate); });
      break;
    }
  }
}

// An instance of the edition made and set up at the rate, or null.
std::unique_ptr<Running> runningAt(const Edition& e, double rate, Vst2Library* vst2,
                                   quillet::host::vst3::Vst3Module* vst3,
                                   quillet::host::ClapModule* clap, Lv2Library* lv2) {
  switch (e.kind) {
    case Kind::kVst2:
      return vst2 && vst2->library ? made<Vst2Running>(*vst2->library, rate) : nullptr;
    case Kind::kVst3:
      return vst3 ? made<Vst3Running>(*vst3, rate) : nullptr;
    case Kind::kClap:
      return clap ? made<ClapRunning>(*clap, rate) : nullptr;
    case Kind::kLv2:
      return lv2 ? made<Lv2Running>(*lv2, rate) : nullptr;
  }
  return nullptr;
}

// The libraries an edition's instances need, kept loaded while they run.
struct Loaded {
  explicit Loaded(const Edition& e) {
    std::string error;
    if (e.kind == Kind::kVst2) vst2 = std::make_unique<Vst2Library>(e.path);
    if (e.kind == Kind::kVst3) vst3 = quillet::host::vst3::Vst3Module::load(e.path, &error);
    if (e.kind == Kind::kClap) clap = quillet::host::ClapModule::load(e.path, &error);
    if (e.kind == Kind::kLv2) lv2 = std::make_unique<Lv2Library>(e.path);
  }
  std::unique_ptr<Vst2Library> vst2;
  std::unique_ptr<quillet::host::vst3::Vst3Module> vst3;
  std::unique_ptr<quillet::host::ClapModule> clap;
  std::unique_ptr<Lv2Library> lv2;
};

void steadyEditions(benchmark::State& state, std::vector<Edition> editions) {
  const double rate = static_cast<double>(state.range(0));
  const auto frames = static_cast<uint32_t>(state.range(1));
  std::vector<std::unique_ptr<Loaded>> libraries;
  std::vector<std::unique_ptr<Running>> running;
  for (const Edition& e : editions) {
    libraries.push_back(std::make_unique<Loaded>(e));
    Loaded& l = *libraries.back();
    running.push_back(runningAt(e, rate, l.vst2.get(), l.vst3.get(), l.clap.get(), l.lv2.get()));
    if (!running.back()) {
      state.SkipWithError(("cannot run " + e.path).c_str());
      return;
    }
    // Past the first sound, every glide and a whole turn of the longest ring.
    const int warm = static_cast<int>(3.0 * rate / kBlock);
    for (int b = 0; b < warm; ++b) running.back()->run();
  }
  const int batches = std::max(100, static_cast<int>(2e7 / (20.0 * frames * editions.size())));
  std::vector<std::vector<double>> rounds(editions.size());
  for (auto _ : state) {
    for (int round = 0; round < 3; ++round)
      for (size_t i = 0; i < editions.size(); ++i)
        rounds[i].push_back(blockSeconds(*running[i], frames, batches) / frames);
  }
  for (size_t i = 0; i < editions.size(); ++i) {
    const std::string& name = editions[i].name;
    // The VST 2.4 edition (QTAP) of the same build: "VST2-QTAP/<label>".
    const std::string label = name.substr(name.find('/') + 1);
    size_t base = 0;
    while (base < editions.size() && editions[base].name != "VST2-QTAP/" + label) ++base;
    state.counters[name + "_ns_per_frame"] = 1e9 * median(rounds[i]);
    if (base < editions.size() && base != i)
      state.counters[name + "_vs_vst2"] = median(rounds[i]) / median(rounds[base]);
  }
}

std::vector<Edition> editionsIn(const std::string& label, const std::string& vst2,
                                const std::string& vst2Gui, const std::string& vst3,
                                const std::string& clap, const std::string& lv2) {
  return {{"VST2-QTAP/" + label, Kind::kVst2, vst2},
          {"VST2-QTAPG/" + label, Kind::kVst2, vst2Gui},
          {"VST3/" + label, Kind::kVst3, vst3},
          {"CLAP/" + label, Kind::kClap, clap},
          {"LV2/" + label, Kind::kLv2, lv2}};
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Edition> editions = editionsIn("now", QTAP_PATH, QTAPG_PATH, VST3_BUNDLE_PATH,
                                             QUILLET_CLAP_PATH, LV2_BUNDLE_PATH);
  if (const char* dir = std::getenv("QUILLET_BEFORE_DIR")) {
    const std::string d(dir);
    const std::vector<Edition> before =
        editionsIn("before", d + "/QTAP_x64.so", d + "/QTAPG_x64.so", d + "/Quillet K3.vst3",
                   d + "/QuilletK3.clap", d + "/quillet-k3.lv2");
    editions.insert(editions.end(), before.begin(), before.end());
  }
  for (const Edition& e : editions)
    benchmark::RegisterBenchmark(("Scan/" + e.name).c_str(), scan, e)
        ->Iterations(41)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  for (const Edition& e : editions)
    benchmark::RegisterBenchmark(("Block/" + e.name).c_str(), block, e)->Iterations(1);
  // The steady echo of every edition but the panel's VST 2.4 library (the
  // same engine and glue as QTAP_x64), all in one process.
  std::vector<Edition> steady;
  for (const Edition& e : editions)
    if (e.name.rfind("VST2-QTAPG/", 0) != 0) steady.push_back(e);
  benchmark::RegisterBenchmark("Steady", steadyEditions, steady)
      ->ArgNames({"rate", "block"})
      ->ArgsProduct({{48000, 192000}, {64, 512}})
      ->Iterations(1)
      ->Unit(benchmark::kMillisecond);
  for (const Edition& e : editions)
    benchmark::RegisterBenchmark(("Memory/" + e.name).c_str(), memory, e)
        ->ArgName("rate")
        ->Arg(48000)
        ->Arg(192000)
        ->Iterations(3);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
