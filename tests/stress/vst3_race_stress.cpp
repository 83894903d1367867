// The VST3 edition under two threads, for the ThreadSanitizer build: the
// audio thread processes blocks with parameter changes and tempo while the
// user-interface thread reads and sets the controller's values and texts and
// saves and restores the state (quillet-host's VST3 thread check).
//   vst3_race_stress BUNDLE.vst3 SECONDS [--host-breaks-thread-rule]
// With --host-breaks-thread-rule the host also sets controller values from
// the audio thread, which no host may do: ThreadSanitizer must report that,
// which shows the stress reaches the state both threads share.
#include <cstdio>
#include <string>

#include "host/validate/vst3/vst3_validator.h"
#include "tests/stress/stress_command_line.h"

namespace {

namespace cli = quillet::cli;

constexpr cli::OptionSpec kBreakThreadRule =
    cli::flag("--host-breaks-thread-rule", "also set controller values from the audio thread");

const cli::CommandSpec kCommandLine = {
    "vst3_race_stress",
    nullptr,
    "",
    nullptr,
    {{nullptr,
      "BUNDLE.vst3 SECONDS [--host-breaks-thread-rule]",
      "Drives a VST3 plug-in from its audio and user-interface threads at once for SECONDS.",
      {2, 2, "no bundle and seconds given", "one bundle and its seconds only"},
      {kBreakThreadRule}}}};

}  // namespace

int main(int argc, char** argv) {
  cli::CommandLine line;
  double seconds = 0;
  const int status = quillet::test::readStressLine(kCommandLine, argc, argv, &line, &seconds);
  if (status != cli::kRunCommand) return status;
  const bool breakRule = line.has(kBreakThreadRule);
  std::string error, detail;
  auto module = quillet::host::vst3::Vst3Module::load(line.positionals()[0], &error);
  if (!module) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string problem =
      quillet::host::vst3::runVst3ThreadCheck(*module, seconds, 1, breakRule, &detail);
  if (!problem.empty()) {
    std::fprintf(stderr, "vst3_race_stress: %s\n", problem.c_str());
    return 1;
  }
  std::printf("vst3_race_stress: %s\n", detail.c_str());
  return 0;
}
