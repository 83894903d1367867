// quillet-k3 from its command line to its exit status: the values restored,
// the link to JACK, the panel or none, the main loop over signals, JACK's
// news and the window, and the values saved at the end.
#pragma once

#include <string>
#include <vector>

namespace quillet::standalone {

enum ExitStatus {
  kExitDone = 0,      // ended as asked (a signal, the window closed), values saved
  kExitProblem = 1,   // a wrong command line or state file, no display, values not saved
  kExitNoServer = 2,  // no JACK server, or it went away
};

// `args` without the program's name.
int runStandalone(const std::vector<std::string>& args);

}  // namespace quillet::standalone
