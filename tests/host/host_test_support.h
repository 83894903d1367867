// Shared pieces of the host tests: paths of the plug-ins, a scratch folder,
// and running a quillet-host sub-command in process with its output captured.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/commands/command_table.h"
#include "host/plugin/vst2/opened_plugin.h"

namespace quillet::test {

struct CommandResult {
  int status;
  std::string out;
  std::string err;
};

// `quillet-host WORD ARGS...` in this process.
inline CommandResult runCommand(const std::string& word, const std::vector<std::string>& args) {
  const quillet::cli::CommandSpec* command =
      quillet::cli::findCommand(quillet::host::hostProgram(), word);
  if (!command) {
    ADD_FAILURE() << "no command " << word;
    return {-1, "", ""};
  }
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int status = command->run(args);
  std::fflush(stdout);
  std::fflush(stderr);
  CommandResult r{status, testing::internal::GetCapturedStdout(),
                  testing::internal::GetCapturedStderr()};
  return r;
}

// A fresh folder per test, removed afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string file(const std::string& name) const { return path + "/" + name; }
  // Every file name in the folder.
  std::vector<std::string> list() const;

 private:
  std::string path;
};

inline quillet::host::OpenedPlugin open(const std::string& path) {
  quillet::host::OpenedPlugin plugin;
  std::string error;
  EXPECT_TRUE(quillet::host::openPlugin(path, &plugin, &error)) << error;
  return plugin;
}

bool fileExists(const std::string& path);

// The built quillet-host as a child process, its output caught in files next to
// nothing the test looks at. `status` is the exit status, or 128 + the signal
// that ended it.
CommandResult runHost(const std::vector<std::string>& args);

// Started and left running; `stopHost` collects it. Core dumps are off, and
// no file it writes may pass 256 MiB.
struct RunningHost {
  int pid = -1;
  std::string outPath, errPath;
};
RunningHost startHost(const std::vector<std::string>& args);
CommandResult stopHost(const RunningHost& host);

}  // namespace quillet::test
