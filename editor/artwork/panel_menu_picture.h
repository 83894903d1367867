// The panel's menu as a picture: sections side by side ("Panel size",
// "Presets"), each a title over one row per choice, drawn at the panel's
// scale from the same lettering as the panel itself, so it is as sharp at 3
// as at 1. Drawn when the menu opens or its highlight moves; never stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/artwork/panel_pictures.h"
#include "editor/artwork/picture_pixels.h"

namespace quillet::artwork {

constexpr const char* kScaleMenuTitle = "Panel size";
constexpr const char* kScaleMenuAutomatic = "Automatic";
constexpr const char* kPresetMenuTitle = "Presets";
// A control's MIDI rows, where the host learns MIDI (the standalone program).
constexpr const char* kLearnMidiRow = "Learn MIDI";
constexpr const char* kForgetMidiRow = "Forget MIDI";
// The name plate's control: the tap of the tempo.
constexpr const char* kTapControlName = "Tap tempo";
// Every character a MIDI source's text can hold ("ch 16 cc 11", "note any").
constexpr const char* kMidiSourceCharacters = "ch 0123456789 cc note any pc";

// A factor as the menu prints it: "125 %".
std::string percentText(float scale);
// "Automatic (150 %)": following the host and the desktop, which now give `scale`.
std::string automaticText(float scale);
// A control's MIDI section title: "Repeat: cc 11", or "Repeat" when nothing drives it.
std::string midiMenuTitle(const std::string& control, const std::string& source);

// One column of the menu.
struct MenuSection {
  std::string title;
  std::vector<std::string> rows;
  int32_t marked = -1;       // the row with the dot; -1 for none
  int32_t widthAtOne = 150;  // the column's width at scale 1
};

// Rows are numbered across the sections, in their order: the first
// section's rows, then the next one's.
struct MenuLayout {
  struct Column {
    int32_t left = 0, width = 0;         // in the menu's pixels
    int32_t rowLeft = 0, rowRight = 0;   // the rows' clickable span
    int32_t firstRow = 0, rowCount = 0;  // in the menu's numbering
  };
  int32_t width = 0, height = 0;
  int32_t rowsTop = 0;    // the first row's top edge, in every column
  int32_t rowHeight = 0;  // rows follow each other without gaps
  std::vector<Column> columns;
  int32_t rowCount() const;
  // The column holding row `row`; -1 for none.
  int32_t columnOf(int32_t row) const;
};
MenuLayout menuLayout(float scale, const std::vector<MenuSection>& sections);

// The menu with row `highlighted` (or none, -1) lit as the keyboard's
// choice. Empty pixels for a factor outside 1..3.
Image drawMenu(float scale, const Lettering& lettering, const std::vector<MenuSection>& sections,
               int32_t highlighted);
bool drawMenuPixels(float scale, const std::vector<MenuSection>& sections, int32_t highlighted,
                    Pixels* out);

}  // namespace quillet::artwork
