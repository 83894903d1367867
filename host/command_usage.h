// What every sub-command does with its usage: the whole text on --help (to
// standard output, status 0), a single line pointing there on a mistake.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vsthost {

// True when -h or --help is among the arguments.
inline bool asksForHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "-h" || a == "--help") return true;
  return false;
}

inline int printHelp(const char* usage) {
  std::fputs(usage, stdout);
  return 0;
}

// "vst2-host render: unknown option --x (see vst2-host render --help)", status 2.
inline int usageError(const char* command, const std::string& message) {
  std::fprintf(stderr, "vst2-host %s: %s (see vst2-host %s --help)\n", command, message.c_str(),
               command);
  return 2;
}

}  // namespace vsthost
