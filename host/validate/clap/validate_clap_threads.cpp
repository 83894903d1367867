// Two threads at once, as a CLAP host runs them: the audio thread processes
// blocks whose events move every parameter, while the main thread reads the
// values and their texts and saves the state. Built with ThreadSanitizer, a
// race between the two is the sanitizer's to report; here the outputs must
// stay clean and the values within their ranges.
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "host/validate/clap/clap_validator.h"

namespace quillet::host {

void validateClapThreads(ClapValidationContext& ctx) {
  const std::string check = "two threads: events on the audio thread, values read on the main";
  auto plugin = ctx.instance(check);
  if (!plugin) return;
  std::vector<clap_param_info_t> infos;
  for (uint32_t i = 0; i < plugin->parameterCount(); ++i) {
    clap_param_info_t info{};
    if (plugin->parameterInfo(i, &info)) infos.push_back(info);
  }
  if (!plugin->activate(48000, 1, 512)) {
    ctx.report.fail(check, "activate failed");
    return;
  }
  std::atomic<bool> stop{false};
  std::string audioProblem;
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    ClapThreads::AudioRole role(plugin->host().threads());
    ClapBlockRunner runner(*plugin, ctx.options.seed);
    runner.prepare(512, false);
    if (!plugin->startProcessing()) {
      audioProblem = "start_processing failed";
      return;
    }
    Random random(ctx.options.seed);
    ClapInputEvents events;
    events.reserve(2 * infos.size() + 2);
    const uint32_t sizes[] = {64, 512, 17, 0, 256, 1, 333};
    for (long n = 0; !stop.load(std::memory_order_relaxed) && audioProblem.empty(); ++n) {
      events.clear();
      const uint32_t frames = sizes[n % 7];
      for (const clap_param_info_t& info : infos) {
        double v = info.min_value + random.unit() * (info.max_value - info.min_value);
        if (info.flags & CLAP_PARAM_IS_STEPPED) v = std::floor(v);
        events.paramValue(frames ? random.next() % frames : 0, info.id, v);
      }
      audioProblem = runner.block(frames, events);
      blocks.fetch_add(1, std::memory_order_relaxed);
    }
    plugin->stopProcessing();
  });
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(ctx.options.threadSeconds);
  std::string mainProblem;
  long reads = 0;
  std::vector<uint8_t> state;
  while (std::chrono::steady_clock::now() < end && mainProblem.empty()) {
    for (const clap_param_info_t& info : infos) {
      double value = NAN;
      if (!plugin->parameterValue(info.id, &value) ||
          !(value >= info.min_value && value <= info.max_value)) {
        mainProblem = std::string("\"") + info.name + "\" read as " + std::to_string(value);
        break;
      }
      plugin->valueText(info.id, value);
      ++reads;
    }
    if (!plugin->saveState(&state)) mainProblem = "save failed while processing";
  }
  stop = true;
  audio.join();
  plugin->deactivate();
  const std::string problem = !audioProblem.empty() ? audioProblem : mainProblem;
  ctx.report.result(
      check, problem,
      std::to_string(blocks.load()) + " blocks, " + std::to_string(reads) + " values read");
  ctx.threadsKept(*plugin, "two threads: callbacks on their threads");
}

}  // namespace quillet::host
