#include "standalone/options.h"

#include <algorithm>

#include "cli/command_line.h"
#include "core/factory_presets.h"
#include "core/param_table.h"
#include "standalone/program.h"

namespace quillet_standalone {

namespace {

namespace cli = quillet::cli;

// The options, each named once: the program reads them by these names.
constexpr cli::OptionSpec kConnect =
    cli::flag("--connect",
              "join the system's first two capture ports to in_1 and in_2\n"
              "(a single one feeds both) and out_1, out_2 to its first\n"
              "two playback ports");
constexpr cli::OptionSpec kNoGui =
    cli::flag("--no-gui", "run without the panel and without X (for a pedal)");
constexpr cli::OptionSpec kPreset =
    cli::text("--preset", "NAME", "a preset's name or symbol",
              "start from a factory preset, by name or symbol (below)");
constexpr cli::OptionSpec kSet = cli::text("--set", "NAME=VALUE", "NAME=VALUE",
                                           "parameter by name or index, normalised 0..1, after\n"
                                           "the state file and the preset (repeatable)")
                                     .andRepeatable();
constexpr cli::OptionSpec kState = cli::text("--state", "FILE", "a file name",
                                             "the state file, 44 bytes: the plug-ins' saved state\n"
                                             "(default: $XDG_CONFIG_HOME/quillet-k3/standalone,\n"
                                             "else ~/.config/quillet-k3/standalone)");
constexpr cli::OptionSpec kWaitForServer =
    cli::flag("--wait-for-server",
              "wait for a JACK server to start, and for it to come back\n"
              "when it goes away, instead of ending with status 2");
constexpr cli::OptionSpec kVersion = cli::flag("--version", "the version");

std::string notes() {
  std::string text =
      "Signals: SIGTERM and SIGINT save the values and end the program (status 0);\n"
      "SIGHUP reloads the state file.\n"
      "Exit status: 0 ended as asked; 1 a wrong command line, a state file that is\n"
      "not one or could not be saved, no X display for the panel; 2 no JACK server,\n"
      "or the server went away.\n";
  std::string line = "Parameters:";
  for (int i = 0; i < kNumQuilletParams; ++i) {
    const std::string name =
        kQuilletParams[i].name + std::string(i + 1 < kNumQuilletParams ? "," : "");
    if (line.size() + 1 + name.size() > 80) {
      text += line + "\n";
      line = " ";
    }
    line += " " + name;
  }
  text += line + "\nFactory presets (symbol, name):\n";
  for (const FactoryPreset& preset : kFactoryPresets) {
    std::string symbol = preset.symbol;
    symbol.resize(std::max<size_t>(symbol.size() + 2, 26), ' ');
    text += "  " + symbol + preset.name + "\n";
  }
  return text;
}

cli::CommandSpec makeCommandLine() {
  cli::CommandSpec spec;
  spec.program = "quillet-k3";
  spec.mistakeStatus = kExitProblem;
  spec.forms = {{nullptr,
                 "[options]",
                 "Quillet K3, the stereo tape-style echo, as a JACK client named quillet-k3 with\n"
                 "the ports in_1, in_2, out_1 and out_2, and its panel in a window of its own.\n"
                 "The eleven values are restored from the state file when it starts and saved\n"
                 "to it when it ends.",
                 {0, 0, "", ""},
                 {kConnect, kNoGui, kPreset, kSet, kState, kWaitForServer, kVersion}}};
  spec.notes = notes();
  return spec;
}

}  // namespace

const cli::CommandSpec& commandLine() {
  static const cli::CommandSpec spec = makeCommandLine();
  return spec;
}

int readOptions(const std::vector<std::string>& args, Options* options) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(commandLine(), args, &line);
  if (status != cli::kRunCommand) return status;
  options->version = line.has(kVersion);
  options->connect = line.has(kConnect);
  options->noGui = line.has(kNoGui);
  options->waitForServer = line.has(kWaitForServer);
  options->preset = line.text(kPreset);
  options->sets = line.texts(kSet);
  options->stateFile = line.text(kState);
  return status;
}

}  // namespace quillet_standalone
