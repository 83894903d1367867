// The factory presets (core/factory_presets.h): each with what it is for,
// from the manual's notes, and its values as the musician's texts show them.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "core/factory_presets.h"
#include "doc/manual/manual_output.h"
#include "doc/manual/manual_writers.h"
#include "doc/manual/panel_numbers.h"

namespace quillet::manual {

namespace {

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "quillet_manual_numbers: %s\n", message.c_str());
  std::exit(1);
}

// "symbol: text" lines; blank lines and lines starting with # are skipped.
std::map<std::string, std::string> readNotes(const std::string& path) {
  std::ifstream file(path);
  if (!file) fail("cannot read " + path);
  std::map<std::string, std::string> notes;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) fail(path + ": not \"symbol: text\": " + line);
    notes[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return notes;
}

}  // namespace

void writePresets(const Output& out, const std::string& notesPath) {
  std::map<std::string, std::string> notes = readNotes(notesPath);
  std::map<int32_t, std::string> sectionOf;
  for (const NumberedControl& c : numberedControls())
    if (c.param >= 0) sectionOf[c.param] = c.section;
  std::string list = "<ul class=\"preset-list\">\n";
  std::string sections;
  // The pedal's default MIDI map calls the presets in this order from
  // program change 0 on.
  std::string programs =
      "<table class=\"numbers\">\n<caption>Program changes of the default map</caption>\n"
      "<thead><tr><th scope=\"col\">Program</th><th scope=\"col\">Preset</th></tr></thead>\n"
      "<tbody>\n";
  int program = 0;
  for (const core::FactoryPreset& preset : core::kFactoryPresets) {
    const auto note = notes.find(preset.symbol);
    if (note == notes.end()) fail(notesPath + " has no note for the preset " + preset.symbol);
    const std::string id = std::string("preset-") + preset.symbol;
    list += "  <li><a href=\"#" + id + "\">" + escape(preset.name) + "</a></li>\n";
    programs += "<tr><td>pc " + std::to_string(program++) + "</td><td><a href=\"presets.html#" +
                id + "\">" + escape(preset.name) + "</a></td></tr>\n";
    sections += "<section id=\"" + id + "\">\n<h2>" + escape(preset.name) + "</h2>\n<p>" +
                note->second + "</p>\n<table class=\"values\">\n<caption>" + escape(preset.name) +
                ", at " + fixed(kRate / 1000.0, 0) + " kHz</caption>\n<tbody>\n";
    const float range = preset.values[engine::kParamRange];
    for (int32_t i = 0; i < core::kNumQuilletParams; ++i)
      sections += "<tr><th scope=\"row\"><a href=\"controls.html#" + sectionOf.at(i) + "\">" +
                  core::kQuilletParams[i].name + "</a></th><td>" +
                  valueText(i, preset.values[i], range) + "</td></tr>\n";
    sections += "</tbody>\n</table>\n</section>\n";
    notes.erase(note);
  }
  if (!notes.empty()) fail(notesPath + " has a note for " + notes.begin()->first + ", no preset");
  out.write("preset-list.html", list + "</ul>\n");
  out.write("presets.html", sections);
  out.write("preset-count.html", std::to_string(core::kNumFactoryPresets));
  out.write("program-changes.html", programs + "</tbody>\n</table>\n");
}

}  // namespace quillet::manual
