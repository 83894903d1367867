// The CLAP edition under ThreadSanitizer, driven as a CLAP host drives it
// from two threads: the audio thread processes blocks whose events move every
// parameter (with a transport), while the main thread reads the values and
// their texts and saves the state; with --panel, the main thread also runs
// the plug-in's panel on the host's timers and descriptor watch (the panel
// hears of every store). A race is the sanitizer's to report; this program
// fails only when a value leaves its range, the output is not finite, or a
// call came on the wrong thread.
//
// --break-thread-rule makes the host break CLAP's rule that flush never runs
// while process does: the main thread flushes events into the plug-in as the
// audio thread processes. The plug-in shares its event batch between the two
// without a lock, as the rule allows, so ThreadSanitizer must report a race:
// the stage runs it to show that the stress can fail.
//
//   clap_race_stress MODULE.clap SECONDS [--panel | --break-thread-rule]
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host/plugin/clap/clap_instance.h"
#include "host/plugin/clap/clap_panel_session.h"
#include "tests/stress/stress_command_line.h"

using namespace quillet::host;

namespace {

namespace cli = quillet::cli;

constexpr cli::OptionSpec kPanel =
    cli::flag("--panel", "also run the plug-in's panel on the main thread");
constexpr cli::OptionSpec kBreakThreadRule =
    cli::flag("--break-thread-rule", "flush events while the audio thread processes");

const cli::CommandSpec kCommandLine = {
    "clap_race_stress",
    nullptr,
    "",
    nullptr,
    {{nullptr,
      "MODULE.clap SECONDS [--panel | --break-thread-rule]",
      "Drives a CLAP plug-in from its audio and main threads at once for SECONDS.",
      {2, 2, "no module and seconds given", "one module and its seconds only"},
      {kPanel, kBreakThreadRule}}}};

struct Counts {
  std::atomic<long> blocks{0};
  std::atomic<bool> notFinite{false};
};

void audioLoop(ClapInstance& plugin, const std::atomic<bool>& stop, Counts& counts) {
  ClapThreads::AudioRole role(plugin.host().threads());
  if (!plugin.startProcessing()) return;
  constexpr uint32_t kMaxBlock = 512;
  std::vector<float> left(kMaxBlock), right(kMaxBlock);
  std::mt19937 gen(1);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  ClapInputEvents events;
  events.reserve(32);
  ClapOutputEvents out;
  out.reserve(1024);
  clap_event_transport_t transport{};
  transport.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_IS_PLAYING;
  const uint32_t sizes[] = {64, 512, 17, 0, 256, 1, 333};
  for (long n = 0; !stop.load(std::memory_order_relaxed); ++n) {
    const uint32_t frames = sizes[n % 7];
    for (uint32_t i = 0; i < frames; ++i) left[i] = right[i] = unit(gen) - 0.5f;
    events.clear();
    for (clap_id id = 0; id < 11; ++id)
      events.paramValue(0, id, id == 3 || id == 10 ? 2 * unit(gen) : unit(gen));
    transport.tempo = 60.0 + 120.0 * unit(gen);
    float* channels[2] = {left.data(), right.data()};
    clap_audio_buffer_t buffer{};
    buffer.channel_count = 2;
    buffer.data32 = channels;
    clap_process_t block{};
    block.frames_count = frames;
    block.transport = &transport;
    block.audio_inputs = &buffer;
    block.audio_outputs = &buffer;
    block.audio_inputs_count = block.audio_outputs_count = 1;
    block.in_events = events.list();
    block.out_events = out.list();
    plugin.process(block);
    out.clear();
    for (uint32_t i = 0; i < frames; ++i)
      if (!std::isfinite(left[i]) || !std::isfinite(right[i])) counts.notFinite = true;
    counts.blocks.fetch_add(1, std::memory_order_relaxed);
  }
  plugin.stopProcessing();
}

}  // namespace

int main(int argc, char** argv) {
  cli::CommandLine line;
  double seconds = 0;
  const int status = quillet::test::readStressLine(kCommandLine, argc, argv, &line, &seconds);
  if (status != cli::kRunCommand) return status;
  const bool panel = line.has(kPanel), breakRule = line.has(kBreakThreadRule);
  if (panel && breakRule)
    return cli::usageError(kCommandLine, "--panel and --break-thread-rule go one at a time");
  OpenedClap plugin;
  std::string error;
  if (!openClap(line.positionals()[0], &plugin, &error) || !plugin->activate(48000, 1, 512)) {
    std::fprintf(stderr, "clap_race_stress: %s\n",
                 error.empty() ? "activate failed" : error.c_str());
    return 1;
  }
  std::unique_ptr<ClapPanelSession> session;
  if (panel) {
    session = ClapPanelSession::open(*plugin, "clap race stress", &error);
    if (!session) {
      std::fprintf(stderr, "clap_race_stress: %s\n", error.c_str());
      return 1;
    }
  }
  std::atomic<bool> stop{false};
  Counts counts;
  std::thread audio([&] { audioLoop(*plugin, stop, counts); });
  bool inRange = true;
  long reads = 0;
  std::vector<uint8_t> state;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end && inRange) {
    for (uint32_t i = 0; i < plugin->parameterCount(); ++i) {
      clap_param_info_t info{};
      double value = NAN;
      plugin->parameterInfo(i, &info);
      inRange = plugin->parameterValue(info.id, &value) && value >= info.min_value &&
                value <= info.max_value;
      plugin->valueText(info.id, value);
      ++reads;
    }
    plugin->saveState(&state);
    if (session) session->runFor(5);
    if (breakRule) {
      ClapInputEvents events;
      events.paramValue(0, 0, 0.5);
      ClapOutputEvents out;
      plugin->params()->flush(plugin->plugin(), events.list(), out.list());  // while processing
    }
  }
  stop = true;
  audio.join();
  session.reset();
  plugin->deactivate();
  const std::vector<std::string> wrong = plugin->host().wrongThreadCalls();
  std::printf("%ld blocks, %ld values read%s, %d panel timer calls\n", counts.blocks.load(), reads,
              inRange ? "" : " (one out of range)", plugin->host().timerCalls);
  for (const std::string& call : wrong)
    std::printf("called on the wrong thread: %s\n", call.c_str());
  return inRange && !counts.notFinite && wrong.empty() ? 0 : 1;
}
