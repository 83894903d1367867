#include "editor/artwork/picture_pixels.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "editor/artwork/panel_pictures.h"

namespace quillet::artwork {

uint8_t channelByte(float v) { return static_cast<uint8_t>(clamp01(v) * 255.0f + 0.5f); }

namespace {

void copyBand(const Image& band, Pixels* out) {
  uint8_t* to = out->rgba.data() + static_cast<size_t>(band.firstRow()) * band.width() * 4;
  for (int y = band.firstRow(); y < band.endRow(); ++y)
    for (int x = 0; x < band.width(); ++x) {
      const RGBA& p = band.at(x, y);
      *to++ = channelByte(p.r);
      *to++ = channelByte(p.g);
      *to++ = channelByte(p.b);
      *to++ = channelByte(p.a);
    }
}

}  // namespace

bool drawPixels(int32_t id, float scale, Pixels* out, int threads) {
  *out = Pixels();
  PictureSize size;
  if (!(scale >= 1.0f && scale <= 3.0f) || !pictureSize(id, scale, &size)) return false;
  out->width = size.width;
  out->height = size.height();
  out->rgba.resize(static_cast<size_t>(out->width) * out->height * 4);
  // Each worker takes the next band not yet taken; bands write disjoint rows.
  std::atomic<int> next{0};
  auto work = [&] {
    const Lettering lettering = panelLettering();
    FrameCache cache;
    for (int band = next++; band < size.frames; band = next++)
      copyBand(drawBand(id, scale, lettering, band, &cache), out);
  };
  std::vector<std::thread> helpers;
  for (int i = 1; i < std::min(threads, size.frames); ++i) helpers.emplace_back(work);
  work();
  for (std::thread& t : helpers) t.join();
  return true;
}

}  // namespace quillet::artwork
