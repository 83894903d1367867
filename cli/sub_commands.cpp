#include "cli/sub_commands.h"

#include <cstdio>

#include "cli/help_text.h"

namespace quillet::cli {

namespace {

int mistake(const ProgramSpec& program, const std::string& message) {
  std::fprintf(stderr, "%s: %s (see %s --help)\n", program.name, message.c_str(), program.name);
  return 2;
}

void printCommandList(const ProgramSpec& program, FILE* out) {
  std::fprintf(out, "usage: %s COMMAND [ARGS...]\n\ncommands:\n", program.name);
  for (const CommandSpec* c : program.commands)
    std::fprintf(out, "  %-9s %s\n", c->word, c->summary);
  std::fprintf(out, "\n%s COMMAND --help or %s help COMMAND explains a command's options.\n",
               program.name, program.name);
}

// `help ...`: the status, after printing what was asked for.
int help(const ProgramSpec& program, const std::vector<std::string>& args) {
  if (args.size() == 1) {
    printCommandList(program, stdout);
    return 0;
  }
  const std::string& what = args[1];
  if (args.size() == 2 && what == "--all") {
    printCommandList(program, stdout);
    for (const CommandSpec* c : program.commands) {
      std::printf("\n");
      printCommandHelp(*c, stdout);
    }
    return 0;
  }
  if (args.size() == 2 && what == "--table") {
    printOptionTable(program.commands, stdout);
    return 0;
  }
  const CommandSpec* command = findCommand(program, what);
  if (!command) return mistake(program, "unknown command '" + what + "'");
  printCommandHelp(*command, stdout);
  return 0;
}

}  // namespace

const CommandSpec* findCommand(const ProgramSpec& program, const std::string& word) {
  for (const CommandSpec* c : program.commands)
    if (word == c->word) return c;
  return nullptr;
}

int runProgram(const ProgramSpec& program, const std::vector<std::string>& args) {
  if (args.empty()) return mistake(program, "no command given");
  const std::string& word = args[0];
  if (word == "-h" || word == "--help") {
    printCommandList(program, stdout);
    return 0;
  }
  if (word == "help") return help(program, args);
  const CommandSpec* command = findCommand(program, word);
  if (!command) return mistake(program, "unknown command '" + word + "'");
  return command->run(std::vector<std::string>(args.begin() + 1, args.end()));
}

}  // namespace quillet::cli
