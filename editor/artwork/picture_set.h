// All fifteen pictures of the panel at one scale, drawn when a panel first
// opens at that scale and shared by every panel of the process open at it.
// (At scale 1 the panel keeps using the stored files.)
#pragma once

#include <cstdint>
#include <memory>

#include "editor/artwork/picture_pixels.h"

namespace quillet::artwork {

class PictureSet {
 public:
  // The set for `scale` (1..3), drawn now on a few threads unless a panel
  // still holds it; null outside that range. Call from user-interface
  // threads only: drawing takes a tenth to half a second.
  static std::shared_ptr<const PictureSet> forScale(float scale);

  float scale() const { return factor; }
  // Null for an id that is not one of the panel's.
  const Pixels* picture(int32_t id) const;

  explicit PictureSet(float scale);

 private:
  float factor;
  Pixels pictures[15];
};

}  // namespace quillet::artwork
