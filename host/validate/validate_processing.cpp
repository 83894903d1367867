// Processing at every common sample rate and block size, in both precisions,
// and with sample-accurate automation between pieces of a block.
#include <string>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/validate/validator.h"

namespace quillet::host {

namespace {

constexpr double kRates[] = {22050, 44100, 48000, 88200, 96000, 192000};
constexpr VstInt32 kBlocks[] = {1, 16, 64, 333, 512, 1024, 4096};
constexpr Signal kSignals[] = {Signal::Noise, Signal::Silence, Signal::Impulses};

// Enough frames for several blocks and a tenth of a second of audio.
size_t framesFor(double rate, VstInt32 block) {
  return std::max<size_t>(static_cast<size_t>(block) * 4, static_cast<size_t>(rate / 10.0));
}

std::string runRate(ValidationContext& ctx, PluginInstance& plugin, double rate, bool precision64) {
  ProcessHarness harness(plugin, ctx.options.seed);
  for (VstInt32 block : kBlocks) {
    harness.setup(rate, block, precision64);
    // Noise, then silence while whatever rings inside dies away, then impulses.
    for (Signal signal : kSignals) {
      const std::string problem = harness.run(signal, framesFor(rate, block), block);
      if (!problem.empty())
        return problem + " (block " + std::to_string(block) + ", " + signalName(signal) + ")";
    }
  }
  stopProcessing(plugin);
  return "";
}

}  // namespace

void validateProcessing(ValidationContext& ctx) {
  for (bool precision64 : {false, true}) {
    for (double rate : kRates) {
      const std::string check = std::string("process ") + (precision64 ? "64-bit" : "32-bit") +
                                " at " + std::to_string(static_cast<int>(rate)) + " Hz";
      auto plugin = ctx.instance(check);
      if (!plugin) return;
      if (precision64 && !ProcessHarness(*plugin, 0).offersDouble()) {
        ctx.report.note("64-bit processing not offered");
        break;
      }
      ctx.report.result(check, runRate(ctx, *plugin, rate, precision64),
                        "blocks 1 to 4096, noise, silence, impulses");
    }
  }
}

void validateAutomation(ValidationContext& ctx) {
  constexpr VstInt32 kBlock = 512, kPiece = 32;
  for (bool precision64 : {false, true}) {
    const std::string check =
        std::string("automation every 32 frames, ") + (precision64 ? "64-bit" : "32-bit");
    auto plugin = ctx.instance(check);
    if (!plugin) return;
    ProcessHarness harness(*plugin, ctx.options.seed);
    if (precision64 && !harness.offersDouble()) break;
    harness.setup(48000.0, kBlock, precision64);
    AEffect* e = plugin->effect();
    Random random(ctx.options.seed + 7);
    std::string problem;
    // Two seconds of blocks, each handed over in pieces with changes between them.
    for (int b = 0; b < 2 * 48000 / kBlock && problem.empty() && e->numParams > 0; ++b) {
      for (VstInt32 piece = 0; piece < kBlock / kPiece && problem.empty(); ++piece) {
        for (int changes = 0; changes < 3; ++changes)
          e->setParameter(
              e, static_cast<VstInt32>(random.next() % static_cast<uint32_t>(e->numParams)),
              random.unit());
        problem = harness.processOnce(b % 4 == 3 ? Signal::Silence : Signal::Noise, kPiece);
      }
    }
    stopProcessing(*plugin);
    ctx.report.result(check, problem, "2 s of noise with 3 random changes per piece");
  }
}

}  // namespace quillet::host
