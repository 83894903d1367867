// The fifteen pictures of the panel, described once and drawn at any scale:
// every length of the description is multiplied by the factor and every
// picture is drawn again at its size, so lines, lettering and shading stay
// as sharp at 3 as at 1. At scale 1 the pictures are the ones in
// editor/artwork/png, to the byte.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "editor/artwork/glyphs.h"
#include "editor/artwork/raster.h"

namespace quillet::artwork {

// A picture's size at a scale: `frames` frames of `frameHeight` stacked.
struct PictureSize {
  int32_t width = 0, frameHeight = 0, frames = 0;
  int32_t height() const { return frameHeight * frames; }
};

// False, and a zero size, for an id that is not one of the panel's.
bool pictureSize(int32_t id, float scale, PictureSize* size);

// The faces the lettering is printed in.
struct Lettering {
  Font bold, regular, plate;
};
// The faces of the glyph table; `recorder` notes what the pictures print.
Lettering panelLettering(GlyphRecorder* recorder = nullptr);

// Parts of a strip's frames that come out the same in every frame (the large
// knob's rim and cap), kept between the frames one thread draws so that they
// are worked out once. One per thread; it follows the picture it is used for.
struct FrameCache {
  int32_t id = 0;
  float scale = 0;
  bool ready = false;
  // Pixels of one frame, by their offset (x + y * width) from its top-left corner.
  std::vector<std::pair<int32_t, RGBA>> pixels;
};

// How a picture is handed over: one band of rows at a time, top first.
using BandSink = std::function<void(const Image& band)>;
// Draws picture `id` at `scale`, one band per frame of a strip (the frames
// are drawn in order, and a frame's shadow that reaches into its neighbour
// lands there, as when the strip is drawn in one piece). False for an
// unknown id.
bool drawPicture(int32_t id, float scale, const Lettering& lettering, const BandSink& take);
// Band `band` (0 .. frames - 1) of a picture on its own: bands can be drawn
// in any order and on several threads at once.
Image drawBand(int32_t id, float scale, const Lettering& lettering, int band,
               FrameCache* cache = nullptr);

}  // namespace quillet::artwork
