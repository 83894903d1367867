// A picture from the library's resources, decoded once into 32-bit
// premultiplied pixels and drawn over a target with per-pixel alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "gui/creference_counter.h"
#include "gui/geometry.h"

namespace VSTGUI {

class CDrawContext;

class CBitmap : public CReferenceCounter {
 public:
  // Loads the "PNG" resource `resourceID`; stays empty (0 by 0) if there is
  // none or it cannot be decoded.
  explicit CBitmap(int32_t resourceID);
  // Decodes a PNG held in memory; empty on failure.
  CBitmap(const void* png, size_t size);
  // A picture already in the stored form (see premultipliedPixels), shared
  // with whoever else holds it; empty when the sizes do not match.
  CBitmap(int32_t width, int32_t height, std::shared_ptr<const std::vector<uint32_t>> pixels);

  // The size of the "PNG" resource `resourceID` as its header gives it,
  // without decoding the picture; false (and 0 by 0) if there is none.
  static bool resourceSize(int32_t resourceID, int32_t* width, int32_t* height);

  int32_t getResourceID() const { return resourceID; }
  int32_t getWidth() const { return width; }
  int32_t getHeight() const { return height; }
  bool isLoaded() const { return width > 0 && height > 0; }
  bool hasNoAlpha() const { return noAlpha; }

  // The stored pixel at (x, y), y counted from the top: blue in the low byte,
  // alpha in the high byte, colours premultiplied.
  uint32_t pixelAt(int32_t x, int32_t y) const;

  // Draws the part of the bitmap starting at `offset` into `rect` of the
  // target, clipped to the target's clip rectangle.
  void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint()) const;

 private:
  void decode(const void* png, size_t size);

  int32_t resourceID = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool noAlpha = false;
  // Bottom row first, as a device-independent bitmap keeps it. Shared: the
  // pictures of a scale drawn at run time serve every panel open at it.
  std::shared_ptr<const std::vector<uint32_t>> bits;
};

// Straight red, green, blue, alpha bytes (top row first) in the form a
// bitmap keeps them, premultiplied exactly as a decoded PNG is.
std::vector<uint32_t> premultipliedPixels(const uint8_t* rgba, int32_t width, int32_t height);

}  // namespace VSTGUI
