// A host that does at once what real hosts do from several threads, for a
// ThreadSanitizer build of the plug-ins: one thread processes blocks, one
// stores every parameter (Mute on and off, Delay and Range moves included),
// one saves and restores the state as a chunk, and, with --editor, the
// user-interface thread opens, idles and closes the panel. Any data race is
// the sanitizer's to report; this program only checks that the audio stays
// finite and that every thread made progress.
//
//   race_stress PLUGIN.so SECONDS [--editor]
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host/window/x11_host_window.h"
#include "tests/stress/stress_command_line.h"
#include "vst/interface/vst2_interface.h"

namespace {

namespace cli = quillet::cli;

constexpr cli::OptionSpec kEditor =
    cli::flag("--editor", "also open, idle and close the editor on the user-interface thread");

const cli::CommandSpec kCommandLine = {
    "race_stress",
    nullptr,
    "",
    nullptr,
    {{nullptr,
      "PLUGIN.so SECONDS [--editor]",
      "Drives a VST 2.4 plug-in from several threads at once for SECONDS.",
      {2, 2, "no plug-in and seconds given", "one plug-in and its seconds only"},
      {kEditor}}}};

// Answers only what the plug-in needs; safe on any thread.
VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

struct Counts {
  std::atomic<long> blocks{0}, stores{0}, chunks{0}, opens{0}, idles{0};
  std::atomic<bool> notFinite{false};
};

void processLoop(AEffect* e, const std::atomic<bool>& stop, Counts& counts) {
  constexpr int kMaxBlock = 512;
  std::vector<float> in(2 * kMaxBlock), out(2 * kMaxBlock);
  std::vector<double> inD(2 * kMaxBlock), outD(2 * kMaxBlock);
  std::mt19937 gen(1);
  std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
  for (float& x : in) x = sample(gen);
  for (size_t i = 0; i < inD.size(); ++i) inD[i] = in[i];
  float* ins[2] = {in.data(), in.data() + kMaxBlock};
  float* outs[2] = {out.data(), out.data() + kMaxBlock};
  double* insD[2] = {inD.data(), inD.data() + kMaxBlock};
  double* outsD[2] = {outD.data(), outD.data() + kMaxBlock};
  const int sizes[] = {64, 512, 17, 128, 256, 1, 333};
  for (long n = 0; !stop.load(std::memory_order_relaxed); ++n) {
    const int frames = sizes[n % 7];
    if (n % 5 == 4) {
      e->processDoubleReplacing(e, insD, outsD, frames);
      for (int i = 0; i < frames; ++i)
        if (!std::isfinite(outD[i])) counts.notFinite = true;
    } else {
      e->processReplacing(e, ins, outs, frames);
      for (int i = 0; i < frames; ++i)
        if (!std::isfinite(out[i])) counts.notFinite = true;
    }
    counts.blocks.fetch_add(1, std::memory_order_relaxed);
  }
}

void storeLoop(AEffect* e, const std::atomic<bool>& stop, Counts& counts) {
  std::mt19937 gen(2);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  char text[64];
  for (long n = 0; !stop.load(std::memory_order_relaxed); ++n) {
    switch (n % 6) {
      case 0:
        e->setParameter(e, 4, (n / 6) % 2 ? 1.0f : 0.0f);  // Mute on, then off
        break;
      case 1:
        e->setParameter(e, 0, unit(gen));  // Delay
        break;
      case 2:
        e->setParameter(e, 3, unit(gen));  // Range
        break;
      default: {
        const VstInt32 index = static_cast<VstInt32>(gen() % 11);
        // Mute, and Repeat that runs into saturation, only now and then.
        if (index == 4) break;
        e->setParameter(e, index, index == 1 ? 0.6f * unit(gen) : unit(gen));
        (void)e->getParameter(e, index);
        e->dispatcher(e, effGetParamDisplay, index, 0, text, 0.0f);
      }
    }
    counts.stores.fetch_add(1, std::memory_order_relaxed);
    if (n % 64 == 63) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

void chunkLoop(AEffect* e, const std::atomic<bool>& stop, Counts& counts) {
  std::mt19937 gen(3);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  unsigned char saved[44];
  while (!stop.load(std::memory_order_relaxed)) {
    void* data = nullptr;
    const VstIntPtr size = e->dispatcher(e, effGetChunk, 0, 0, &data, 0.0f);
    if (size == 44 && data) {
      std::memcpy(saved, data, sizeof(saved));
      float values[11];
      std::memcpy(values, saved, sizeof(values));
      values[0] = unit(gen);         // Delay
      values[1] = 0.6f * unit(gen);  // Repeat, short of saturation
      if (gen() % 4 == 0) values[4] = unit(gen) > 0.5f ? 1.0f : 0.0f;  // Mute
      e->dispatcher(e, effSetChunk, 0, sizeof(values), values, 0.0f);
    }
    counts.chunks.fetch_add(1, std::memory_order_relaxed);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// The host's user-interface thread: the panel comes and goes while the other
// threads store values into it.
bool editorLoop(AEffect* e, const std::atomic<bool>& stop, Counts& counts) {
  std::string error;
  auto window = quillet::host::X11HostWindow::create(586, 385, "race stress", &error);
  if (!window) {
    std::fprintf(stderr, "race_stress: %s\n", error.c_str());
    return false;
  }
  while (!stop.load(std::memory_order_relaxed)) {
    if (e->dispatcher(e, effEditOpen, 0, 0, window->parentHandle(), 0.0f) != 1) {
      std::fprintf(stderr, "race_stress: the editor did not open\n");
      return false;
    }
    counts.opens.fetch_add(1, std::memory_order_relaxed);
    for (int i = 0; i < 8 && !stop.load(std::memory_order_relaxed); ++i) {
      e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0.0f);
      window->pump();
      counts.idles.fetch_add(1, std::memory_order_relaxed);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  cli::CommandLine line;
  double seconds = 0;
  const int status = quillet::test::readStressLine(kCommandLine, argc, argv, &line, &seconds);
  if (status != cli::kRunCommand) return status;
  const bool withEditor = line.has(kEditor);
  const char* path = line.positionals()[0].c_str();
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "race_stress: %s\n", dlerror());
    return 1;
  }
  auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
  AEffect* e = entry ? entry(&hostCallback) : nullptr;
  if (!e) {
    std::fprintf(stderr, "race_stress: no effect from %s\n", path);
    return 1;
  }
  if (withEditor && !(e->flags & effFlagsHasEditor)) {
    std::fprintf(stderr, "race_stress: %s has no editor\n", path);
    return 1;
  }
  e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  e->dispatcher(e, effSetBlockSize, 0, 512, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);

  Counts counts;
  std::atomic<bool> stop{false};
  std::thread audio(processLoop, e, std::cref(stop), std::ref(counts));
  std::thread store(storeLoop, e, std::cref(stop), std::ref(counts));
  std::thread chunk(chunkLoop, e, std::cref(stop), std::ref(counts));
  bool editorOk = true;
  std::thread timer([&] {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
  });
  if (withEditor) editorOk = editorLoop(e, stop, counts);
  timer.join();
  audio.join();
  store.join();
  chunk.join();

  e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
  std::printf(
      "race_stress: %.0f s, %ld blocks, %ld stores, %ld chunk round trips, %ld opens, "
      "%ld idles\n",
      seconds, counts.blocks.load(), counts.stores.load(), counts.chunks.load(),
      counts.opens.load(), counts.idles.load());
  if (!editorOk) return 1;
  if (counts.notFinite) {
    std::fprintf(stderr, "race_stress: the output was not finite\n");
    return 1;
  }
  if (counts.blocks == 0 || counts.stores == 0 || counts.chunks == 0 ||
      (withEditor && counts.opens == 0)) {
    std::fprintf(stderr, "race_stress: a thread made no progress\n");
    return 1;
  }
  return 0;
}
