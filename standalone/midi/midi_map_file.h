// The MIDI map's file, $XDG_CONFIG_HOME/quillet-k3/midi (else
// ~/.config/quillet-k3/midi): read at start and on SIGHUP, where a line that
// is not a binding is said and left out and the rest holds; rewritten
// atomically when the panel learns or forgets.
#pragma once

#include <string>
#include <vector>

#include "standalone/midi/midi_map.h"

namespace quillet::standalone {

// Empty when there is no home folder to be found.
std::string defaultMidiMapPath();

struct MidiMapRead {
  MidiMap map;
  bool found = false;                 // false: no file, the default map
  std::vector<std::string> problems;  // "PATH line N: ...", one per line left out
};

// The map in the file, or the default map when there is none. A file that
// cannot be read at all (a folder, too long) gives the default map and a problem.
MidiMapRead readMidiMapFile(const std::string& path);

bool writeMidiMapFile(const std::string& path, const MidiMap& map);

}  // namespace quillet::standalone
