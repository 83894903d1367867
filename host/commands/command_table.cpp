#include "host/commands/command_table.h"

namespace quillet::host {

// Each in its own file.
extern const cli::CommandSpec kInfoCommand, kSnapshotCommand, kRenderCommand, kPresetCommand,
    kValidateCommand;

const cli::ProgramSpec& hostProgram() {
  static const cli::ProgramSpec program = {
      "quillet-host",
      {&kInfoCommand, &kSnapshotCommand, &kRenderCommand, &kPresetCommand, &kValidateCommand}};
  return program;
}

}  // namespace quillet::host
