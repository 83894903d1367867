// The command line of quillet-k3, as data (cli/option_spec.h) that the parser
// reads and --help is made from: what the program is asked to do, read
// without touching anything (no file, no server, no display), so that a
// wrong line is refused before the program starts.
#pragma once

#include <string>
#include <vector>

#include "cli/option_spec.h"

namespace quillet::standalone {

struct Options {
  bool version = false;           // --version
  bool connect = false;           // --connect
  bool noGui = false;             // --no-gui
  bool waitForServer = false;     // --wait-for-server
  std::string preset;             // --preset NAME, empty for none
  std::vector<std::string> sets;  // --set NAME=VALUE, in order
  std::string stateFile;          // --state FILE, empty for the default
  std::string midiConnect;        // --midi-connect PORT, empty for none
  double bpm = 0.0;               // --bpm N, 0 for none
  bool fixedClock = false;        // --fixed-clock
};

// The options, then the signals, exit statuses, parameters and factory presets
// in the notes --help prints after them.
const quillet::cli::CommandSpec& commandLine();

// cli::kRunCommand with *options filled in; otherwise the status to exit with:
// 0 after the help that -h or --help asks for, 1 (kExitProblem) after a
// one-line mistake on standard error (an unknown option, one without its
// value, a word that is no option). --preset and --set are only read here;
// their names and values are checked by startingValues.
int readOptions(const std::vector<std::string>& args, Options* options);

}  // namespace quillet::standalone
