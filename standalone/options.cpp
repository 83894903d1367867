#include "standalone/options.h"

#include <algorithm>

#include "cli/command_line.h"
#include "core/factory_presets.h"
#include "core/param_table.h"
#include "standalone/pedal_tempo.h"
#include "standalone/program.h"

namespace quillet::standalone {

namespace {

namespace cli = quillet::cli;

// The options, each named once: the program reads them by these names.
constexpr cli::OptionSpec kConnect =
    cli::flag("--connect",
              "join the system's first two capture ports to in_1 and\n"
              "in_2 (a single one feeds both), out_1, out_2 to its first\n"
              "two playback ports, and its first MIDI source to midi_in");
constexpr cli::OptionSpec kMidiConnect =
    cli::text("--midi-connect", "PORT", "a JACK MIDI port",
              "join the JACK MIDI output PORT to midi_in (in place of\n"
              "--connect's MIDI source); jack_lsp lists them");
constexpr cli::OptionSpec kBpm =
    cli::number("--bpm", "N", "beats per minute", PedalTempo::kSlowest, PedalTempo::kFastest,
                "start at this tempo, as if it were tapped: the note keys\n"
                "follow it without JACK transport, and the echo takes the\n"
                "note it follows (a quarter note at first)");
constexpr cli::OptionSpec kFixedClock =
    cli::flag("--fixed-clock",
              "seed the tape stretch's noise from the audio's own clock\n"
              "(as quillet-host render --fixed-clock does): the same\n"
              "sound and MIDI give the same output every time");
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
      "SIGHUP reloads the state file, its tempo and the MIDI map.\n"
      "Exit status: 0 ended as asked; 1 a wrong command line, a state file that is\n"
      "not one or could not be saved, no X display for the panel; 2 no JACK server,\n"
      "or the server went away.\n";
  std::string line = "Parameters:";
  for (int i = 0; i < core::kNumQuilletParams; ++i) {
    const std::string name =
        core::kQuilletParams[i].name + std::string(i + 1 < core::kNumQuilletParams ? "," : "");
    if (line.size() + 1 + name.size() > 80) {
      text += line + "\n";
      line = " ";
    }
    line += " " + name;
  }
  text += line + "\nFactory presets (symbol, name):\n";
  for (const core::FactoryPreset& preset : core::kFactoryPresets) {
    std::string symbol = preset.symbol;
    symbol.resize(std::max<size_t>(symbol.size() + 2, 26), ' ');
    text += "  " + symbol + preset.name + "\n";
  }
  return text;
}

cli::CommandSpec makeCommandLine() {
  cli::CommandSpec command;
  command.program = "quillet-k3";
  command.mistakeStatus = kExitProblem;
  command.forms = {
      {nullptr,
       "[options]",
       "Quillet K3, the stereo tape-style echo, as a JACK client named quillet-k3 with\n"
       "the ports in_1, in_2, out_1, out_2 and midi_in, and its panel in a window of\n"
       "its own. The eleven values are restored from the state file when it starts\n"
       "and saved to it when it ends, the tempo beside it (FILE.tempo). MIDI follows\n"
       "the map in $XDG_CONFIG_HOME/quillet-k3/midi (else ~/.config/quillet-k3/midi;\n"
       "without it: pc 0-8 the factory presets, cc 11 Repeat, cc 7 Level, cc 64 Mute,\n"
       "cc 80 taps the tempo; man quillet-k3 tells the rest).",
       {0, 0, "", ""},
       {kBpm, kConnect, kFixedClock, kMidiConnect, kNoGui, kPreset, kSet, kState, kWaitForServer,
        kVersion}}};
  command.notes = notes();
  return command;
}

}  // namespace

const cli::CommandSpec& commandLine() {
  static const cli::CommandSpec commandLine = makeCommandLine();
  return commandLine;
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
  options->midiConnect = line.text(kMidiConnect);
  options->bpm = line.number(kBpm, 0.0);
  options->fixedClock = line.has(kFixedClock);
  return status;
}

}  // namespace quillet::standalone
