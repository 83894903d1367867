// quillet_manual_numbers --out FOLDER --preset-notes FILE
// Writes what the manual shows of the product, from the product's own code:
// the panel's numbered controls and sizes, every control's range and default
// as hosts show them, echo times, the note keys' times, the feedback filters'
// response, the level of successive repeats, the first Mute's fade, a silent
// lead-in in each edition and the factory presets.
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "doc/manual/manual_writers.h"

namespace {

namespace cli = quillet::cli;

constexpr cli::OptionSpec kOut =
    cli::text("--out", "FOLDER", "a folder", "where the numbers go").required("no --out FOLDER");
constexpr cli::OptionSpec kPresetNotes =
    cli::text("--preset-notes", "FILE", "a file name", "the factory presets' notes")
        .required("no --preset-notes FILE");

const cli::CommandSpec kCommandLine = {
    "quillet_manual_numbers",
    nullptr,
    "",
    nullptr,
    {{nullptr,
      "--out FOLDER --preset-notes FILE",
      "Writes the numbers the manual's pages show, from the product's code.",
      {0, 0, "", ""},
      {kOut, kPresetNotes}}}};

}  // namespace

int main(int argc, char** argv) {
  cli::CommandLine line;
  const int status =
      cli::readCommandLine(kCommandLine, std::vector<std::string>(argv + 1, argv + argc), &line);
  if (status != cli::kRunCommand) return status;
  const std::string folder = line.text(kOut), notes = line.text(kPresetNotes);
  const quillet::manual::Output out(folder);
  quillet::manual::writePanelFigure(out);
  quillet::manual::writePanelSizes(out);
  quillet::manual::writeControlFacts(out);
  quillet::manual::writeEchoTimes(out);
  quillet::manual::writeNoteTimes(out);
  quillet::manual::writeFeedbackFilters(out);
  quillet::manual::writeRepeatLevels(out);
  quillet::manual::writeFirstMute(out);
  quillet::manual::writeSilentLeadIn(out);
  quillet::manual::writePresets(out, notes);
  return 0;
}
