#include "editor/scaled_bitmaps.h"

#include <map>
#include <mutex>
#include <new>

#include "editor/artwork/picture_set.h"
#include "gui/cbitmap.h"

namespace quillet::editor {

ScaledBitmaps::ScaledBitmaps(float scale) : factor(scale) {
  // The artwork's straight pixels go as soon as they are converted: one copy
  // of a scale's pictures stays (about 48 MB at 3).
  const std::shared_ptr<const quillet::artwork::PictureSet> drawn =
      quillet::artwork::PictureSet::forScale(scale);
  if (!drawn) return;
  for (int32_t id = quillet::editor::kFirstBitmap; id <= quillet::editor::kLastBitmap; ++id) {
    const quillet::artwork::Pixels* p = drawn->picture(id);
    if (!p || p->width <= 0 || p->height <= 0) continue;
    Picture& to = pictures[id - quillet::editor::kFirstBitmap];
    to.width = p->width;
    to.height = p->height;
    to.pixels = std::make_shared<const std::vector<uint32_t>>(
        VSTGUI::premultipliedPixels(p->rgba.data(), p->width, p->height));
  }
}

std::shared_ptr<const ScaledBitmaps> ScaledBitmaps::forScale(float scale) {
  if (!(scale >= 1.0f && scale <= 3.0f)) return nullptr;
  static std::mutex lock;
  static std::map<float, std::weak_ptr<const ScaledBitmaps>> drawn;
  std::lock_guard<std::mutex> hold(lock);
  try {
    std::weak_ptr<const ScaledBitmaps>& slot = drawn[scale];
    std::shared_ptr<const ScaledBitmaps> set = slot.lock();
    if (!set) {
      set = std::shared_ptr<const ScaledBitmaps>(new ScaledBitmaps(scale));
      slot = set;
    }
    return set;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

VSTGUI::CBitmap* ScaledBitmaps::bitmap(int32_t id) const {
  if (id < quillet::editor::kFirstBitmap || id > quillet::editor::kLastBitmap)
    return new VSTGUI::CBitmap(0, 0, nullptr);
  const Picture& p = pictures[id - quillet::editor::kFirstBitmap];
  return new VSTGUI::CBitmap(p.width, p.height, p.pixels);
}

}  // namespace quillet::editor
