// quillet-host: loads VST 2.4, VST3 and CLAP plug-ins as a DAW does, to inspect, render
// and check them.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "host/cli/help_text.h"
#include "host/commands/command_table.h"

using namespace quillet_host;

namespace {

int unknown(const std::string& word) {
  std::fprintf(stderr, "quillet-host: unknown command '%s' (see quillet-host --help)\n",
               word.c_str());
  return 2;
}

// `help --all`: every command's help after the tool's usage, the text a
// manual page is checked against; `help --table`: every option as a line.
bool printsAllHelp(const std::vector<std::string>& args) {
  if (args.size() != 1) return false;
  if (args[0] == "--all") {
    cli::printToolUsage(allCommands(), stdout);
    for (const cli::CommandSpec* c : allCommands()) {
      std::printf("\n");
      cli::printCommandHelp(*c, stdout);
    }
    return true;
  }
  if (args[0] == "--table") {
    cli::printOptionTable(allCommands(), stdout);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "quillet-host: no command given (see quillet-host --help)\n");
    return 2;
  }
  const std::string word = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (word == "-h" || word == "--help" || (word == "help" && args.empty())) {
    cli::printToolUsage(allCommands(), stdout);
    return 0;
  }
  if (word == "help" && printsAllHelp(args)) return 0;
  const cli::CommandSpec* command = findCommand(word == "help" ? args[0] : word);
  if (!command) return unknown(word == "help" ? args[0] : word);
  if (word == "help") args = {"--help"};
  try {
    return command->run(args);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "quillet-host: out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillet-host: %s\n", e.what());
  }
  return 1;
}
