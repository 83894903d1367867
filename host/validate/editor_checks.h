// The editor part of `quillet-host validate`: opens, idles and closes a
// plug-in's editor in the odd orders real hosts use, on X11, and reports what
// went wrong. A crash or an X error that ends the process is a failure too,
// seen by whoever runs the check.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/plugin/vst2/plugin_host.h"

namespace quillet::host {

struct EditorCheckOptions {
  int cycles = 100;     // open/idle/close rounds
  FILE* log = nullptr;  // one line per check when set
  // Told of every check: its name and what went wrong (empty when it passed).
  std::function<void(const std::string& check, const std::string& problem)> report;
};

struct EditorCheckResult {
  bool skipped = false;  // no editor, or no X display
  std::string skipReason;
  std::vector<std::string> failures;
  int checksRun = 0;
};

EditorCheckResult checkEditor(const PluginLibrary& library, const EditorCheckOptions& options);

}  // namespace quillet::host
