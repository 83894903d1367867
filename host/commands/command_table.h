// The sub-commands of quillet-host. A new one is a file <name>_command.cpp
// defining its data (a cli::CommandSpec, which names its run function) and a
// line in command_table.cpp.
#pragma once

#include <string>
#include <vector>

#include "host/cli/option_spec.h"

int runInfoCommand(const std::vector<std::string>& args);
int runSnapshotCommand(const std::vector<std::string>& args);
int runRenderCommand(const std::vector<std::string>& args);
int runPresetCommand(const std::vector<std::string>& args);
int runValidateCommand(const std::vector<std::string>& args);

namespace quillet_host {

extern const cli::CommandSpec kInfoCommand;
extern const cli::CommandSpec kSnapshotCommand;
extern const cli::CommandSpec kRenderCommand;
extern const cli::CommandSpec kPresetCommand;
extern const cli::CommandSpec kValidateCommand;

// In the order `quillet-host --help` lists them.
const std::vector<const cli::CommandSpec*>& allCommands();
// Null for a word that is no command.
const cli::CommandSpec* findCommand(const std::string& word);

}  // namespace quillet_host
