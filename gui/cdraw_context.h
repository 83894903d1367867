// Drawing targets: a block of 32-bit premultiplied pixels (blue, green, red,
// alpha in memory, top row first) with a clip rectangle.
#pragma once

#include <cstdint>
#include <vector>

#include "gui/creference_counter.h"
#include "gui/geometry.h"

namespace VSTGUI {

class CDrawContext : public CReferenceCounter {
 public:
  CDrawContext(uint32_t* pixels, int32_t width, int32_t height);

  uint32_t* getPixels() const { return pixels; }
  int32_t getWidth() const { return width; }
  int32_t getHeight() const { return height; }
  const CRect& getClipRect() const { return clip; }
  // The clip never reaches outside the pixels.
  void setClipRect(const CRect& rect);
  void resetClipRect() { clip = CRect(0, 0, width, height); }

 protected:
  uint32_t* pixels;
  int32_t width;
  int32_t height;
  CRect clip;
};

// An image of its own, the size of the frame; all drawing goes through it.
class COffscreenContext : public CDrawContext {
 public:
  COffscreenContext(int32_t width, int32_t height);

 private:
  std::vector<uint32_t> storage;
};

}  // namespace VSTGUI
