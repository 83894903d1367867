// quillet-host: loads VST 2.4, VST3 and CLAP plug-ins as a DAW does, to inspect, render
// and check them.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "host/commands/command_table.h"

int main(int argc, char** argv) {
  try {
    return quillet::cli::runProgram(quillet::host::hostProgram(),
                                    std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "quillet-host: out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillet-host: %s\n", e.what());
  }
  return 1;
}
