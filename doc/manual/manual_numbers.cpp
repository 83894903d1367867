// quillet_manual_numbers --out FOLDER --preset-notes FILE
// Writes what the manual shows of the product, from the product's own code:
// the panel's numbered controls and sizes, every control's range and default
// as hosts show them, echo times, the note keys' times, the feedback filters'
// response, the level of successive repeats and the factory presets.
#include <cstdio>
#include <cstring>
#include <string>

#include "doc/manual/manual_writers.h"

int main(int argc, char** argv) {
  std::string folder, notes;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--out") == 0) {
      folder = argv[i + 1];
    } else if (std::strcmp(argv[i], "--preset-notes") == 0) {
      notes = argv[i + 1];
    } else {
      folder.clear();
      break;
    }
  }
  if (folder.empty() || notes.empty() || argc != 5) {
    std::fprintf(stderr, "usage: quillet_manual_numbers --out FOLDER --preset-notes FILE\n");
    return 2;
  }
  const manual::Output out(folder);
  manual::writePanelFigure(out);
  manual::writePanelSizes(out);
  manual::writeControlFacts(out);
  manual::writeEchoTimes(out);
  manual::writeNoteTimes(out);
  manual::writeFeedbackFilters(out);
  manual::writeRepeatLevels(out);
  manual::writePresets(out, notes);
  return 0;
}
