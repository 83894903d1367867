// A panel picture at a scale as 8-bit pixels, ready for a bitmap: what the
// panel asks for when it opens at a scale whose pictures are not stored.
#pragma once

#include <cstdint>
#include <vector>

namespace quillet::artwork {

// Straight (not premultiplied) red, green, blue, alpha; top row first.
struct Pixels {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

// A channel 0..1 as a byte, rounded to the nearest, as the PNG files store it.
uint8_t channelByte(float v);

// Draws picture `id` at `scale` (any factor from 1 to 3), sharing the frames
// of a strip among `threads` threads (the calling one included). False, with
// empty pixels, for an unknown id or a factor outside that range.
bool drawPixels(int32_t id, float scale, Pixels* out, int threads = 1);

}  // namespace quillet::artwork
