// Each writer puts one part of the manual's numbers into the output folder:
// HTML fragments for the pages and data for the plots.
#pragma once

#include <string>

#include "doc/manual/manual_output.h"

namespace quillet::manual {

// panel-figure.html (the numbered panel and its legend), number-SECTION.html.
void writePanelFigure(const Output& out);
// panel-sizes.html, knob-drag.html, knob-drag-fine.html.
void writePanelSizes(const Output& out);
// facts-SECTION.html for every control bound to a parameter.
void writeControlFacts(const Output& out);
// echo-times.dat, echo-times.html.
void writeEchoTimes(const Output& out);
// note-times.html: the note keys at 90, 120 and 140 bpm.
void writeNoteTimes(const Output& out);
// feedback-filters.dat, feedback-filters.html, sustain-repeat.html.
void writeFeedbackFilters(const Output& out);
// repeat-levels.dat, repeat-levels.gp (its plot command), repeat-levels.html.
void writeRepeatLevels(const Output& out);
// first-mute-fade.html, first-mute-rest.html: the first Mute's fade-in.
void writeFirstMute(const Output& out);
// lead-in-*.html: the VST 2.4 edition after silence against the editions that
// wait for the first sound.
void writeSilentLeadIn(const Output& out);
// presets.html, preset-list.html: every factory preset with its note from
// notesPath ("symbol: text" lines) and its values.
void writePresets(const Output& out, const std::string& notesPath);

}  // namespace quillet::manual
