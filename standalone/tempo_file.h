// The program's own tempo kept with the values: a small text file beside
// the state file (its name and ".tempo"), since the state file is the 44
// bytes every edition shares and stays so. It holds the tempo, where it came
// from and the note the echo follows:
//   tempo 120
//   from tap
//   note 1
// Read at start and on SIGHUP, written when the program ends, atomically.
#pragma once

#include <string>

#include "standalone/pedal_tempo.h"

namespace quillet::standalone {

// The tempo file that goes with a state file.
std::string tempoPathFor(const std::string& statePath);

enum class TempoRead {
  kLoaded,   // the tempo holds the file's
  kMissing,  // no file: nothing changed
  kRefused,  // not a tempo file of ours: nothing changed
};

TempoRead readTempoFile(const std::string& path, PedalTempo* tempo, std::string* why);
bool writeTempoFile(const std::string& path, const PedalTempo& tempo);

}  // namespace quillet::standalone
