#include "standalone/tempo_file.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstdio>
#include <sstream>

#include "cli/number_text.h"
#include "platform/settings_file.h"

namespace quillet::standalone {

namespace {

constexpr size_t kLongestFile = 4096;

bool number(const std::string& text, double* value) {
  return quillet::cli::readNumber(text, value) == quillet::cli::NumberText::kNumber;
}

}  // namespace

std::string tempoPathFor(const std::string& statePath) { return statePath + ".tempo"; }

TempoRead readTempoFile(const std::string& path, PedalTempo* tempo, std::string* why) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
    return TempoRead::kMissing;
  std::string text;
  if (!quillet::platform::readSmallFile(path, kLongestFile, &text)) {
    *why = "not a readable tempo file";
    return TempoRead::kRefused;
  }
  double bpm = 0.0, note = 1.0;
  TempoSource source = TempoSource::kNone;
  std::istringstream in(text);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string key, value, more;
    if (!(words >> key)) continue;
    const bool one = static_cast<bool>(words >> value) && !(words >> more);
    bool good = one;
    if (good && key == "tempo") {
      good = value == "none" || (number(value, &bpm) && PedalTempo::isUsable(bpm));
      if (value == "none") bpm = 0.0;
    } else if (good && key == "from") {
      good = value == "tap" || value == "--bpm";
      source = value == "tap" ? TempoSource::kTap : TempoSource::kOption;
    } else if (good && key == "note") {
      good = number(value, &note) && note > 0.0;
    } else {
      good = false;
    }
    if (!good) {
      *why = "not a tempo file (line " + std::to_string(n) + ": '" + line + "')";
      return TempoRead::kRefused;
    }
  }
  if (!tempo->follow(note)) {
    *why = "not a tempo file (no note key is " + std::to_string(note) + " quarter notes)";
    return TempoRead::kRefused;
  }
  if (bpm > 0.0) tempo->set(bpm, source == TempoSource::kNone ? TempoSource::kTap : source);
  return TempoRead::kLoaded;
}

bool writeTempoFile(const std::string& path, const PedalTempo& tempo) {
  char text[512];
  const double bpm = tempo.bpm();
  char bpmText[32] = "none";
  if (bpm > 0.0) std::snprintf(bpmText, sizeof bpmText, "%.17g", bpm);
  std::snprintf(
      text, sizeof text,
      "# quillet-k3's own tempo, kept with the values: the tempo the note keys and\n"
      "# the echo follow without JACK transport, where it came from (tap or --bpm),\n"
      "# and the note the echo follows in quarter notes (1 a quarter, 0.75 a dotted\n"
      "# eighth).\n"
      "tempo %s\n"
      "%s"
      "note %.17g\n",
      bpmText,
      bpm > 0.0 ? (tempo.source() == TempoSource::kOption ? "from --bpm\n" : "from tap\n") : "",
      tempo.followedNote());
  return quillet::platform::writeFileAtomically(path, text);
}

}  // namespace quillet::standalone
