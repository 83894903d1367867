// The CLAP part of `quillet-host info`.
#pragma once

#include <string>

namespace vsthost {

// Prints what a CLAP host sees of the module at `path`; the exit status.
int printClapInfo(const std::string& path);

}  // namespace vsthost
