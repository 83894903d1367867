// Parameter fuzz, two threads at once, and the allocator on the audio thread.
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/plugin_text.h"
#include "host/validate/allocation_trap.h"
#include "host/validate/validator.h"

namespace quillet::host {

void validateParameterFuzz(ValidationContext& ctx) {
  const std::string check = "parameter fuzz";
  auto plugin = ctx.instance(check);
  if (!plugin) return;
  AEffect* e = plugin->effect();
  Random random(ctx.options.seed + 31);
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                          inf,
                          -inf,
                          -1.0f,
                          -1e-30f,
                          -0.0f,
                          1e-40f,  // subnormal
                          1.0000001f,
                          2.0f,
                          1e30f,
                          std::numeric_limits<float>::max(),
                          std::numeric_limits<float>::lowest(),
                          0.0f,
                          1.0f};
  std::string problem;
  std::string text;
  for (VstInt32 i = 0; i < e->numParams && problem.empty(); ++i) {
    for (int k = 0; k < 18 && problem.empty(); ++k) {
      const float v = k < 14 ? values[k] : random.unit();
      e->setParameter(e, i, v);
      const float got = e->getParameter(e, i);
      const std::string after =
          " after setParameter(" + std::to_string(i) + ", " + std::to_string(v) + ")";
      if (!std::isfinite(got))
        problem = "getParameter gave " + std::to_string(got) + after;
      else if (got < 0.0f || got > 1.0f)
        problem = "getParameter gave " + std::to_string(got) + ", outside 0..1," + after;
      else {
        const std::string t =
            checkedText(*plugin, effGetParamDisplay, i, kVstMaxParamStrLen, &text);
        if (!t.empty()) problem = "display text " + t + after;
      }
    }
  }
  if (problem.empty()) {
    // Whatever survived the fuzz must still make clean audio.
    ProcessHarness harness(*plugin, ctx.options.seed);
    harness.setup(48000.0, 512, false);
    problem = harness.run(Signal::Noise, 8192, 512);
    stopProcessing(*plugin);
  }
  ctx.report.result(check, problem,
                    "NaN, infinities, negative, above 1 and random values into every parameter");
}

void validateThreads(ValidationContext& ctx) {
  const std::string check = "thread safety";
  auto plugin = ctx.instance(check);
  if (!plugin) return;
  AEffect* e = plugin->effect();
  ProcessHarness harness(*plugin, ctx.options.seed);
  harness.setup(48000.0, 512, false);
  std::atomic<bool> stop{false};
  std::atomic<long> edits{0};
  // The user-interface thread: parameters and their texts, as an editor or a DAW's mixer reads
  // them.
  std::thread ui([&] {
    Random random(ctx.options.seed + 41);
    char text[kTextBufferSize];
    while (!stop.load() && e->numParams > 0) {
      const VstInt32 i = static_cast<VstInt32>(random.next() % static_cast<uint32_t>(e->numParams));
      e->setParameter(e, i, random.unit());
      e->getParameter(e, i);
      text[0] = '\0';
      plugin->dispatch(effGetParamDisplay, i, 0, text);
      ++edits;
    }
  });
  std::string problem;
  long blocks = 0;
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(ctx.options.threadSeconds);
  std::thread audio([&] {
    while (std::chrono::steady_clock::now() < end && problem.empty()) {
      problem = harness.processOnce(blocks % 8 == 7 ? Signal::Silence : Signal::Noise, 512);
      ++blocks;
    }
  });
  audio.join();
  stop = true;
  ui.join();
  stopProcessing(*plugin);
  char detail[96];
  std::snprintf(detail, sizeof(detail), "%.1f s, %ld blocks against %ld parameter edits",
                ctx.options.threadSeconds, blocks, edits.load());
  ctx.report.result(check, problem, detail);
}

void validateAllocation(ValidationContext& ctx) {
  const std::string base = "no allocation while processing";
  if (!quillet::host::allocation_trap::available()) {
    ctx.report.note(base + ": the allocator cannot be watched on this system");
    return;
  }
  for (bool precision64 : {false, true}) {
    const std::string check = base + (precision64 ? ", 64-bit" : ", 32-bit");
    auto plugin = ctx.instance(check);
    if (!plugin) return;
    ProcessHarness harness(*plugin, ctx.options.seed);
    if (precision64 && !harness.offersDouble()) break;
    plugin->host().setRecording(false);  // the host's own answers allocate nothing
    AEffect* e = plugin->effect();
    Random random(ctx.options.seed + 53);
    harness.setup(48000.0, 512, precision64);
    harness.watchAllocations(true);
    std::string problem;
    // From the very first block: a host may call process at once after switching on.
    for (int b = 0; b < 200 && problem.empty(); ++b) {
      if (b % 10 == 0 && e->numParams > 0)
        e->setParameter(e,
                        static_cast<VstInt32>(random.next() % static_cast<uint32_t>(e->numParams)),
                        random.unit());
      problem =
          harness.processOnce(b % 5 == 4 ? Signal::Silence : Signal::Noise, b % 3 ? 512 : 100);
    }
    const size_t seen = harness.allocationsSeen();
    harness.watchAllocations(false);
    stopProcessing(*plugin);
    if (problem.empty() && seen > 0)
      problem = std::to_string(seen) + " allocations or releases inside the process entries";
    ctx.report.result(check, problem, "200 blocks with parameter changes between them");
  }
}

}  // namespace quillet::host
