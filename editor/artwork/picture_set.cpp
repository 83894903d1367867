#include "editor/artwork/picture_set.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

#include "editor/panel_layout.h"

namespace quillet::artwork {

namespace {

// A few threads: the knob strips split by frame; more than four gain little.
int drawingThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 4u));
}

}  // namespace

PictureSet::PictureSet(float scale) : factor(scale) {
  const int threads = drawingThreads();
  for (int32_t id = quillet::editor::kFirstBitmap; id <= quillet::editor::kLastBitmap; ++id)
    drawPixels(id, scale, &pictures[id - quillet::editor::kFirstBitmap], threads);
}

const Pixels* PictureSet::picture(int32_t id) const {
  if (id < quillet::editor::kFirstBitmap || id > quillet::editor::kLastBitmap) return nullptr;
  return &pictures[id - quillet::editor::kFirstBitmap];
}

std::shared_ptr<const PictureSet> PictureSet::forScale(float scale) {
  if (!(scale >= 1.0f && scale <= 3.0f)) return nullptr;
  // Sets live while a panel holds them; the table only remembers them. One
  // lock for the whole drawing, so two panels opening at once draw once.
  static std::mutex lock;
  static std::map<float, std::weak_ptr<const PictureSet>> drawn;
  std::lock_guard<std::mutex> hold(lock);
  std::weak_ptr<const PictureSet>& slot = drawn[scale];
  std::shared_ptr<const PictureSet> set = slot.lock();
  if (!set) {
    set = std::make_shared<const PictureSet>(scale);
    slot = set;
  }
  return set;
}

}  // namespace quillet::artwork
