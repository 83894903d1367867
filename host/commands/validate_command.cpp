// quillet-host validate PLUGIN.so [--seconds S] [--seed N] [--in-process]
// Exit status: 0 all passed, 1 some check failed, 2 usage, 3 not loadable.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "host/commands/command_table.h"
#include "host/commands/plugin_file_name.h"
#include "host/formats/hosted_format.h"
#include "host/validate/validator.h"

using namespace quillet::host;
namespace cli = quillet::cli;

namespace {

// The options, each named once: the command reads them by these names.
constexpr cli::OptionSpec kSeconds =
    cli::number("--seconds", "S", "seconds", 0, 600, "length of the two-thread check")
        .byDefault(kDefaultThreadSeconds);
constexpr cli::OptionSpec kSeed =
    cli::wholeNumber("--seed", "N", "a whole number", 0, 4294967295.0, "seed of every random value")
        .byDefault(kDefaultSeed);
constexpr cli::OptionSpec kInProcess =
    cli::flag("--in-process", "no child process per group: a crash ends the run (for debuggers)");

int runValidateCommand(const std::vector<std::string>& args);

}  // namespace

// Listed in command_table.cpp.
namespace quillet::host {
extern const cli::CommandSpec kValidateCommand = {
    "quillet-host",
    "validate",
    QUILLET_HOST_PLUGIN ": checks a plug-in as industry validators do",
    runValidateCommand,
    {{nullptr,
      QUILLET_HOST_PLUGIN " [--seconds S] [--seed N] [--in-process]",
      QUILLET_HOST_PLUGIN_KINDS
      "Checks the plug-in as industry validators do: loading, the call sequences of\n"
      "hosts, processing (silence, noise, denormals, every block size), state, two\n"
      "threads at once and the editor. Each group runs in a child process, so a crash\n"
      "is a finding. A CLAP plug-in (PLUGIN.clap) is checked against CLAP's rules:\n"
      "activation cycles, the thread of every call, empty blocks and careless event\n"
      "lists, texts, states, presets and its panel on the host's timers.\n"
      "Status: 0 all passed, 1 some check failed, 2 usage, 3 not loadable.",
      {1, 1, "no plug-in given", "one plug-in at a time"},
      {kSeconds, kSeed, kInProcess}}}};
}  // namespace quillet::host

namespace {

int runValidateCommand(const std::vector<std::string>& args) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(kValidateCommand, args, &line);
  if (status != cli::kRunCommand) return status;
  ValidateOptions options;
  options.threadSeconds = line.number(kSeconds, options.threadSeconds);
  options.seed = static_cast<uint32_t>(line.number(kSeed, options.seed));
  options.isolate = !line.has(kInProcess);
  const std::string& path = line.positionals()[0];
  std::printf("quillet-host validate %s\n", path.c_str());
  ValidationReport report(stdout);
  const bool loaded = formatOf(path).validate(path, options, report);
  std::printf("%d passed, %d failed\n", report.passed(), report.failed());
  // A plug-in that cannot even be loaded is told apart from one with findings.
  if (!loaded) return 3;
  return report.failed() == 0 ? 0 : 1;
}

}  // namespace
