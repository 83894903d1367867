#include "standalone/midi/midi_map_file.h"

#include <errno.h>
#include <sys/stat.h>

#include "platform/settings_file.h"

namespace quillet::standalone {

namespace {

// Room for every controller, note and program of every channel, and comments.
constexpr size_t kLongestFile = 1 << 20;

}  // namespace

std::string defaultMidiMapPath() { return quillet::platform::userConfigPath("midi"); }

MidiMapRead readMidiMapFile(const std::string& path) {
  MidiMapRead read;
  struct stat info {};
  if (path.empty() || (stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))) {
    read.map = MidiMap::defaults();
    return read;
  }
  std::string text;
  if (!quillet::platform::readSmallFile(path, kLongestFile, &text)) {
    read.map = MidiMap::defaults();
    read.problems.push_back(path + " is not a readable map file; the default map holds");
    return read;
  }
  read.found = true;
  std::vector<std::string> problems;
  read.map = MidiMap::parse(text, &problems);
  for (const std::string& problem : problems) read.problems.push_back(path + " " + problem);
  return read;
}

bool writeMidiMapFile(const std::string& path, const MidiMap& map) {
  return !path.empty() && quillet::platform::writeFileAtomically(path, map.text());
}

}  // namespace quillet::standalone
