// The command line of quillet-k3: what the program is asked to do, read
// without touching anything (no file, no server, no display), so that a
// wrong line is refused before the program starts.
#pragma once

#include <string>
#include <vector>

namespace quillet_standalone {

struct Options {
  bool help = false;
  bool version = false;
  bool connect = false;           // --connect
  bool noGui = false;             // --no-gui
  bool waitForServer = false;     // --wait-for-server
  std::string preset;             // --preset NAME, empty for none
  std::vector<std::string> sets;  // --set NAME=VALUE, in order
  std::string stateFile;          // --state FILE, empty for the default
};

// False, with a one-line message in *error, for a line that is not one of
// ours: an unknown option, one without its value, an option given twice
// that takes one value, a word that is no option. --preset and --set are
// only read here; their names and values are checked by startingValues.
bool parseOptions(const std::vector<std::string>& args, Options* options, std::string* error);

// What --help prints: the options, the parameters and the factory presets.
std::string usageText();

}  // namespace quillet_standalone
