#include "standalone/options.h"

#include <algorithm>

#include "core/factory_presets.h"
#include "core/param_table.h"

namespace quillet_standalone {

namespace {

// Splits "--name=value" into its two halves; the whole word otherwise.
void splitWord(const std::string& word, std::string* name, std::string* value, bool* hasValue) {
  const size_t eq = word.find('=');
  *hasValue = word.rfind("--", 0) == 0 && eq != std::string::npos;
  *name = *hasValue ? word.substr(0, eq) : word;
  *value = *hasValue ? word.substr(eq + 1) : std::string();
}

}  // namespace

bool parseOptions(const std::vector<std::string>& args, Options* options, std::string* error) {
  bool havePreset = false, haveState = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name, value;
    bool hasValue = false;
    splitWord(args[i], &name, &value, &hasValue);
    bool* flag = nullptr;
    if (name == "-h" || name == "--help") flag = &options->help;
    if (name == "--version") flag = &options->version;
    if (name == "--connect") flag = &options->connect;
    if (name == "--no-gui") flag = &options->noGui;
    if (name == "--wait-for-server") flag = &options->waitForServer;
    if (flag) {
      if (hasValue) {
        *error = name + " takes no value";
        return false;
      }
      *flag = true;
      continue;
    }
    if (name != "--preset" && name != "--set" && name != "--state") {
      *error = args[i].rfind('-', 0) == 0 ? "unknown option " + name
                                          : "unexpected argument '" + args[i] + "'";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        *error = name + " wants a value";
        return false;
      }
      value = args[++i];
    }
    if (name == "--set") {
      options->sets.push_back(value);
      continue;
    }
    bool& given = name == "--preset" ? havePreset : haveState;
    if (given) {
      *error = name + " is given twice";
      return false;
    }
    if (value.empty()) {
      *error = name + " wants a value";
      return false;
    }
    given = true;
    (name == "--preset" ? options->preset : options->stateFile) = value;
  }
  return true;
}

std::string usageText() {
  std::string text =
      "usage: quillet-k3 [options]\n"
      "Quillet K3, the stereo tape-style echo, as a JACK client named quillet-k3 with\n"
      "the ports in_1, in_2, out_1 and out_2, and its panel in a window of its own.\n"
      "The eleven values are restored from the state file when it starts and saved\n"
      "to it when it ends.\n"
      "  --connect            join the system's first two capture ports to in_1 and in_2\n"
      "                       (a single one feeds both) and out_1, out_2 to its first\n"
      "                       two playback ports\n"
      "  --no-gui             run without the panel and without X (for a pedal)\n"
      "  --preset NAME        start from a factory preset, by name or symbol (below)\n"
      "  --set NAME=VALUE     parameter by name or index, normalised 0..1, after the\n"
      "                       state file and the preset (repeatable)\n"
      "  --state FILE         the state file (default: $XDG_CONFIG_HOME/quillet-k3/standalone,\n"
      "                       else ~/.config/quillet-k3/standalone): 44 bytes, the\n"
      "                       plug-ins' saved state\n"
      "  --wait-for-server    wait for a JACK server to start, and for it to come back\n"
      "                       when it goes away, instead of ending with status 2\n"
      "  --version            the version\n"
      "  -h, --help           this text\n"
      "Signals: SIGTERM and SIGINT save the values and end the program (status 0);\n"
      "SIGHUP reloads the state file.\n"
      "Exit status: 0 ended as asked; 1 a wrong command line, a state file that is\n"
      "not one or could not be saved, no X display for the panel; 2 no JACK server,\n"
      "or the server went away.\n"
      "Parameters:";
  for (int i = 0; i < kNumQuilletParams; ++i) {
    text += i == 0 ? " " : ", ";
    text += kQuilletParams[i].name;
  }
  text += "\nFactory presets (symbol, name):\n";
  for (const FactoryPreset& preset : kFactoryPresets) {
    std::string symbol = preset.symbol;
    symbol.resize(std::max<size_t>(symbol.size() + 2, 26), ' ');
    text += "  " + symbol + preset.name + "\n";
  }
  return text;
}

}  // namespace quillet_standalone
