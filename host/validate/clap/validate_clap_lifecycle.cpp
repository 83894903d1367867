// Activation cycles at several rates, and the thread rules: main-thread calls
// from the main thread, start/stop_processing, process, reset and flush on an
// audio thread while active, flush on the main thread while inactive. The
// host answers thread-check truthfully and notes any callback the plug-in
// makes on a thread CLAP does not allow for it.
#include <string>
#include <thread>

#include "host/validate/clap/clap_validator.h"

namespace quillet::host {

namespace {

constexpr double kRates[] = {44100, 48000, 96000, 22050, 192000};

// On a thread of its own: start, a few blocks with parameter events, a reset,
// stop, then a flush while active and not processing.
std::string audioThreadRound(ClapInstance& plugin, uint32_t seed, uint32_t maxBlock) {
  std::string problem;
  std::thread audio([&] {
    ClapThreads::AudioRole role(plugin.host().threads());
    ClapBlockRunner runner(plugin, seed);
    runner.prepare(maxBlock, false);
    // Activated on the main thread; processing starts on this one.
    if (!plugin.startProcessing()) {
      problem = "start_processing answered false";
      return;
    }
    ClapInputEvents events;
    events.reserve(16);
    clap_param_info_t info{};
    if (plugin.parameterInfo(0, &info)) events.paramValue(0, info.id, info.default_value);
    problem = runner.block(maxBlock, events);
    if (problem.empty()) problem = runner.run(4 * maxBlock, maxBlock);
    plugin.plugin()->reset(plugin.plugin());
    plugin.stopProcessing();
    ClapOutputEvents out;
    plugin.flush(events, out);
  });
  audio.join();
  return problem;
}

}  // namespace

void validateClapLifecycle(ClapValidationContext& ctx) {
  const std::string check = "activate and deactivate at every rate, three times";
  auto plugin = ctx.instance(check);
  if (!plugin) return;
  std::string problem;
  int cycles = 0;
  for (int round = 0; round < 3 && problem.empty(); ++round) {
    for (double rate : kRates) {
      if (!plugin->activate(rate, 1, 1024)) {
        problem = "activate at " + std::to_string(static_cast<int>(rate)) + " Hz answered false";
        break;
      }
      if (round == 1) problem = audioThreadRound(*plugin, ctx.options.seed, 256);
      plugin->deactivate();
      ++cycles;
      if (!problem.empty()) break;
    }
  }
  ctx.report.result(check, problem, std::to_string(cycles) + " cycles, blocks on an audio thread");

  // Values set while inactive come through a flush on the main thread.
  ClapInputEvents events;
  clap_param_info_t info{};
  if (plugin->parameterInfo(0, &info)) events.paramValue(0, info.id, info.max_value);
  ClapOutputEvents out;
  plugin->flush(events, out);
  if (ctx.threadsKept(*plugin, "thread rules"))
    ctx.report.pass("thread rules",
                    "main-thread calls from the main thread, process and flush on the audio "
                    "thread while active; the plug-in's callbacks on their threads");

  // Two instances side by side, each with its own state.
  auto second = ctx.instance("two instances");
  if (!second) return;
  ctx.report.result("two instances",
                    second->plugin() == plugin->plugin() ? "two instances share one record" : "");
}

}  // namespace quillet::host
