#include "host/commands/command_table.h"

namespace quillet_host {

const std::vector<const cli::CommandSpec*>& allCommands() {
  static const std::vector<const cli::CommandSpec*> commands = {
      &kInfoCommand, &kSnapshotCommand, &kRenderCommand, &kPresetCommand, &kValidateCommand};
  return commands;
}

const cli::CommandSpec* findCommand(const std::string& word) {
  for (const cli::CommandSpec* c : allCommands())
    if (word == c->word) return c;
  return nullptr;
}

}  // namespace quillet_host
