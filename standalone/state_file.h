// The state file: the eleven values as the 44 bytes every edition saves
// (core/state_codec.h), read when the program starts and on SIGHUP, and
// replaced atomically when it ends, so a power cut leaves the old file or
// the new one, never a part.
#pragma once

#include <string>

#include "core/echo_core.h"

namespace quillet::standalone {

// $XDG_CONFIG_HOME/quillet-k3/standalone, else ~/.config/quillet-k3/standalone;
// empty when there is no home folder to be found.
std::string defaultStatePath();

enum class StateRead {
  kLoaded,   // the core holds the file's values
  kMissing,  // no such file: nothing changed (a first start)
  kRefused,  // a file that is not a state of ours (or unreadable): nothing changed
};

// Loads the file into the core, all or nothing; *why says what is wrong with
// a refused one.
StateRead readStateFile(const std::string& path, quillet::core::EchoCore& core, std::string* why);

// Writes the core's values; false when the file could not be replaced (the
// old one is then as it was).
bool writeStateFile(const std::string& path, const quillet::core::EchoCore& core);

}  // namespace quillet::standalone
