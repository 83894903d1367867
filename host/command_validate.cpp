// vst2-host validate PLUGIN.so [--seconds S] [--seed N]
// Exit status: 0 all passed, 1 some check failed, 2 usage, 3 not loadable.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/command_usage.h"
#include "host/validator.h"

using namespace vsthost;

namespace {
const char* kUsage =
    "usage: vst2-host validate PLUGIN.so [--seconds S] [--seed N] [--in-process]\n"
    "Checks the plug-in as industry validators do: loading, the call sequences of\n"
    "hosts, processing (silence, noise, denormals, every block size), state, two\n"
    "threads at once and the editor. Each group runs in a child process, so a crash\n"
    "is a finding. Status: 0 all passed, 1 some check failed, 2 usage, 3 not loadable.\n"
    "  --seconds S   length of the two-thread check (default 3)\n"
    "  --seed N      seed of every random value (default 1)\n"
    "  --in-process  no child process per group: a crash ends the run (for debuggers)\n"
    "  -h, --help    this text\n";

int usage(const std::string& message) { return usageError("validate", message); }
}  // namespace

int runValidateCommand(const std::vector<std::string>& args) {
  if (asksForHelp(args)) return printHelp(kUsage);
  ValidateOptions options;
  std::string path;
  for (size_t i = 0; i < args.size(); ++i) {
    char* end = nullptr;
    if ((args[i] == "--seconds" || args[i] == "--seed") && i + 1 >= args.size()) {
      return usage(args[i] + " needs a number");
    } else if (args[i] == "--seconds") {
      options.threadSeconds = std::strtod(args[++i].c_str(), &end);
      if (*end || !(options.threadSeconds >= 0.0 && options.threadSeconds <= 600.0))
        return usage("--seconds wants 0 to 600");
    } else if (args[i] == "--seed") {
      options.seed = static_cast<uint32_t>(std::strtoul(args[++i].c_str(), &end, 10));
      if (*end) return usage("--seed wants a whole number");
    } else if (args[i] == "--in-process") {
      options.isolate = false;
    } else if (!args[i].empty() && args[i][0] == '-') {
      return usage("unknown option " + args[i]);
    } else if (path.empty()) {
      path = args[i];
    } else {
      return usage("one plug-in at a time");
    }
  }
  if (path.empty()) return usage("no plug-in given");
  std::printf("vst2-host validate %s\n", path.c_str());
  ValidationReport report(stdout);
  const bool loaded = validatePlugin(path, options, report);
  std::printf("%d passed, %d failed\n", report.passed(), report.failed());
  // A plug-in that cannot even be loaded is told apart from one with findings.
  if (!loaded) return 3;
  return report.failed() == 0 ? 0 : 1;
}
