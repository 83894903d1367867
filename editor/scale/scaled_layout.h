// The panel at a scale factor: how lengths and the control rectangles of
// panel_layout.h map from scale 1 to scale s, for the pictures and for the
// controls that show them.
//
// Every length and every position is rounded on its own, to the nearest
// pixel with halves going up: a rectangle (left, top, width, height) becomes
// (round(left s), round(top s), round(width s), round(height s)). So one
// picture has one size at each scale, whichever control shows it (the three
// large knobs, the three small ones), and a strip's frames one height; an
// edge lands at most half a pixel from its exact place. Rounding the edges
// instead would make the small knobs 52 or 53 pixels wide at 1.75 depending
// on where they sit. At the supported steps this never opens a gap between
// controls that touch at scale 1 (the note keys) and never makes controls
// that are apart at scale 1 overlap; touching keys share at most one column
// more than at scale 1, which goes to the later one as the shared edge does.
#pragma once

#include <cmath>
#include <cstdint>

#include "editor/panel_layout.h"

namespace quillet::editor {

inline int32_t scaledLength(int32_t length, float scale) {
  return static_cast<int32_t>(std::floor(static_cast<double>(length) * scale + 0.5));
}

inline Place scaledPlace(const Place& p, float scale) {
  return Place{scaledLength(p.left, scale), scaledLength(p.top, scale),
               scaledLength(p.width, scale), scaledLength(p.height, scale)};
}

constexpr int32_t kPanelWidth = 586;
constexpr int32_t kPanelHeight = 385;

}  // namespace quillet::editor
