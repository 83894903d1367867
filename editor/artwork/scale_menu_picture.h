// The panel's size menu as a picture: a title over one row per choice, drawn
// at the panel's scale from the same lettering as the panel itself, so it is
// as sharp at 3 as at 1. Drawn when the menu opens; never stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/artwork/panel_pictures.h"
#include "editor/artwork/picture_pixels.h"

namespace artwork {

constexpr const char* kScaleMenuTitle = "Panel size";
constexpr const char* kScaleMenuAutomatic = "Automatic";

// A factor as the menu prints it: "125 %".
std::string percentText(float scale);
// "Automatic (150 %)": following the host and the desktop, which now give `scale`.
std::string automaticText(float scale);

// Where things are in the menu at a scale, in its own pixels.
struct ScaleMenuLayout {
  int32_t width = 0, height = 0;
  int32_t rowsTop = 0;    // the first row's top edge
  int32_t rowHeight = 0;  // rows follow each other without gaps
  int32_t rowLeft = 0, rowRight = 0;
};
ScaleMenuLayout scaleMenuLayout(float scale, int32_t rows);

// The menu with `rows` (top to bottom), row `marked` (or none, -1) showing a
// mark. Empty pixels for a factor outside 1..3.
Image drawScaleMenu(float scale, const Lettering& lettering, const std::vector<std::string>& rows,
                    int32_t marked);
bool drawScaleMenuPixels(float scale, const std::vector<std::string>& rows, int32_t marked,
                         Pixels* out);

}  // namespace artwork
