// Processing: every block size at common rates in both precisions, empty
// blocks with events, event lists a careless host sends (out of order, for
// unknown ids, of other spaces, too small, NaN), in-place buffers, and no
// allocation inside process.
#include <algorithm>
#include <cmath>
#include <string>

#include "host/validate/allocation_trap.h"
#include "host/validate/clap/clap_validator.h"

namespace quillet::host {

namespace {

constexpr double kRates[] = {44100, 48000, 96000};
constexpr uint32_t kBlocks[] = {1, 16, 64, 333, 512, 1024, 4096};

bool offers64(ClapInstance& plugin) {
  const clap_plugin_audio_ports_t* ports = plugin.audioPorts();
  clap_audio_port_info_t info{};
  return ports && ports->count(plugin.plugin(), false) > 0 &&
         ports->get(plugin.plugin(), 0, false, &info) &&
         (info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS);
}

clap_param_info_t firstParameter(ClapInstance& plugin) {
  clap_param_info_t info{};
  info.id = CLAP_INVALID_ID;
  plugin.parameterInfo(0, &info);
  return info;
}

// Events a careless host sends: out of time order, for ids the plug-in does
// not have, in another event space, shorter than their type, NaN, and at
// frames beyond the block.
void carelessEvents(ClapInputEvents& events, const clap_param_info_t& info, uint32_t frames,
                    double first, double second) {
  events.paramValue(frames / 2, info.id, first);
  events.paramValue(0, info.id, second);  // earlier than the one before
  events.paramValue(0, 0xdeadbeef, 0.5);
  events.paramValue(1, CLAP_INVALID_ID, 0.5);
  clap_event_param_value_t foreign{};
  foreign.header = {sizeof(foreign), 0, 0x7777, CLAP_EVENT_PARAM_VALUE, 0};
  foreign.param_id = info.id;
  foreign.value = info.min_value;
  events.raw(&foreign.header);
  clap_event_param_value_t shortEvent = foreign;
  shortEvent.header = {sizeof(clap_event_header_t) + 4, 0, CLAP_CORE_EVENT_SPACE_ID,
                       CLAP_EVENT_PARAM_VALUE, 0};
  events.raw(&shortEvent.header);
  events.paramValue(2, info.id, std::nan(""));
  events.paramValue(frames + 100, 0xfeedface, 1.0);
}

}  // namespace

void validateClapProcessing(ClapValidationContext& ctx) {
  auto plugin = ctx.instance("process");
  if (!plugin) return;
  const bool has64 = offers64(*plugin);
  for (bool precision64 : {false, true}) {
    if (precision64 && !has64) continue;
    const std::string check = std::string("process, ") + (precision64 ? "64" : "32") +
                              "-bit: every block size at 44.1, 48 and 96 kHz";
    std::string problem;
    for (double rate : kRates) {
      for (uint32_t block : kBlocks) {
        ClapBlockRunner runner(*plugin, ctx.options.seed);
        if (!runner.start(rate, block, precision64)) {
          problem = "activate or start_processing failed at " +
                    std::to_string(static_cast<int>(rate)) + " Hz";
        } else {
          const size_t frames = std::max<size_t>(4 * block, static_cast<size_t>(rate / 10));
          problem = runner.run(frames, block);
          if (problem.empty()) problem = runner.run(frames, block, /*silence=*/true);
          if (!problem.empty()) problem += " (block " + std::to_string(block) + ")";
        }
        runner.stop();
        if (!problem.empty()) break;
      }
      if (!problem.empty()) break;
    }
    ctx.report.result(check, problem);
  }

  const clap_param_info_t info = firstParameter(*plugin);
  ClapBlockRunner runner(*plugin, ctx.options.seed);
  if (!runner.start(48000, 512, false)) {
    ctx.report.fail("empty blocks", "activate or start_processing failed");
    return;
  }
  // Empty blocks, alone and with a value event.
  {
    ClapInputEvents events;
    std::string problem = runner.block(0, events);
    if (problem.empty() && info.id != CLAP_INVALID_ID) {
      events.paramValue(0, info.id, info.max_value);
      problem = runner.block(0, events);
      double value = 0.0;
      if (problem.empty() && plugin->parameterValue(info.id, &value) && value != info.max_value)
        problem = "a value sent with an empty block did not arrive";
    }
    if (problem.empty()) problem = runner.run(1024, 512);
    ctx.report.result("empty blocks (events only)", problem);
  }
  // The careless host.
  if (info.id != CLAP_INVALID_ID) {
    ClapInputEvents events;
    const double a = info.min_value + 0.25 * (info.max_value - info.min_value);
    const double b = info.min_value + 0.75 * (info.max_value - info.min_value);
    const double first = (info.flags & CLAP_PARAM_IS_STEPPED) ? std::floor(a) : a;
    const double second = (info.flags & CLAP_PARAM_IS_STEPPED) ? std::ceil(b) : b;
    carelessEvents(events, info, 256, first, second);
    std::string problem = runner.block(256, events);
    double value = 0.0;
    if (problem.empty() && !plugin->parameterValue(info.id, &value))
      problem = "get_value failed after the block";
    else if (problem.empty() && value != first && value != second)
      problem = "the value is " + std::to_string(value) + ", neither value that was sent";
    ctx.report.result("events out of order, for unknown ids, foreign, short, NaN: skipped", problem,
                      "\"" + std::string(info.name) + "\" is " + std::to_string(value));
  }
  // No allocation in process.
  if (quillet::host::allocation_trap::available()) {
    ClapInputEvents events;
    events.reserve(8);
    size_t allocations = 0;
    std::string problem;
    for (int round = 0; round < 20 && problem.empty(); ++round) {
      events.clear();
      if (info.id != CLAP_INVALID_ID)
        events.paramValue(0, info.id, round % 2 ? info.max_value : info.min_value);
      allocations += quillet::host::allocation_trap::countIn(
          [&] { problem = runner.block(round % 3 == 0 ? 0 : 512, events); });
    }
    if (problem.empty() && allocations > 0)
      problem = std::to_string(allocations) + " allocations or releases inside process";
    ctx.report.result("no allocation while processing", problem, "20 blocks with events");
  }
  runner.stop();

  // In place, where the ports allow it: the same output as separate buffers.
  const clap_plugin_audio_ports_t* ports = plugin->audioPorts();
  clap_audio_port_info_t port{};
  if (ports && ports->get(plugin->plugin(), 0, true, &port) &&
      port.in_place_pair != CLAP_INVALID_ID) {
    // Two fresh instances, alike but for the buffers.
    auto one = ctx.instance("in place");
    auto other = ctx.instance("in place");
    if (!one || !other) return;
    ClapBlockRunner separate(*one, ctx.options.seed), shared(*other, ctx.options.seed);
    std::string problem;
    if (!separate.start(48000, 512, false) || !shared.start(48000, 512, false))
      problem = "activate or start_processing failed";
    const size_t channels = port.channel_count;
    for (int b = 0; b < 40 && problem.empty(); ++b) {
      problem = separate.run(512, 512);
      if (problem.empty()) problem = shared.run(512, 512, false, /*inPlace=*/true);
      for (size_t c = 0; c < channels && problem.empty(); ++c)
        if (!std::equal(separate.floatOutput(c), separate.floatOutput(c) + 512,
                        shared.floatOutput(c)))
          problem = "block " + std::to_string(b) + ", channel " + std::to_string(c) +
                    " differs from the same block in separate buffers";
    }
    separate.stop();
    shared.stop();
    ctx.report.result("in place: the same samples as separate buffers", problem, "40 blocks");
  }
  ctx.threadsKept(*plugin, "process: callbacks on their threads");
}

}  // namespace quillet::host
