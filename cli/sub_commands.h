// A program of sub-commands (`quillet-host COMMAND ARGS...`): its list of
// commands on --help, `help` in its forms, and the command a line runs.
#pragma once

#include <string>
#include <vector>

#include "cli/option_spec.h"

namespace quillet::cli {

struct ProgramSpec {
  const char* name = "";                     // "quillet-host"
  std::vector<const CommandSpec*> commands;  // in the order --help lists them
};

// Null for a word that is no command.
const CommandSpec* findCommand(const ProgramSpec& program, const std::string& word);

// Runs `PROGRAM ARGS...` (`args` without the program's name):
//   --help, -h, help     the commands with their summaries
//   help COMMAND         that command's --help
//   help --all           all of the above, one after the other
//   help --table         every option of every command (printOptionTable)
//   COMMAND ARGS...      the command's run with the rest
// A line without a command, or with one that is no command, is one line on
// standard error and status 2.
int runProgram(const ProgramSpec& program, const std::vector<std::string>& args);

}  // namespace quillet::cli
