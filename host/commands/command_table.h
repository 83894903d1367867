// The sub-commands of quillet-host. A new one is a file <name>_command.cpp
// defining its cli::CommandSpec (which names its run function), its two
// lines in command_table.cpp, and its file in host/CMakeLists.txt.
#pragma once

#include "cli/sub_commands.h"

namespace quillet::host {

// quillet-host and its commands, in the order `quillet-host --help` lists them.
const cli::ProgramSpec& hostProgram();

}  // namespace quillet::host
