// The panel's pictures at a scale other than 1, drawn at run time from the
// artwork's description and kept in the form the view library draws, once
// per process and scale while any panel uses them. (At scale 1 the panel
// loads the stored pictures instead.)
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "editor/panel_layout.h"

namespace VSTGUI {
class CBitmap;
}

namespace quillet::editor {

class ScaledBitmaps {
 public:
  // The pictures for `scale` (1..3), drawn now unless a panel holds them
  // still; null outside that range or without memory. User-interface
  // threads only: drawing takes a tenth of a second to half a second.
  static std::shared_ptr<const ScaledBitmaps> forScale(float scale);

  // A new bitmap (one reference, the caller's) sharing picture `id`'s pixels;
  // an empty one for an unknown id.
  VSTGUI::CBitmap* bitmap(int32_t id) const;
  float scale() const { return factor; }

 private:
  struct Picture {
    int32_t width = 0, height = 0;
    std::shared_ptr<const std::vector<uint32_t>> pixels;
  };
  explicit ScaledBitmaps(float scale);

  float factor;
  Picture pictures[quillet::editor::kLastBitmap - quillet::editor::kFirstBitmap + 1];
};

}  // namespace quillet::editor
