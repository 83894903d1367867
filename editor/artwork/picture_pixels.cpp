#include "editor/artwork/picture_pixels.h"

#include "editor/artwork/panel_pictures.h"

namespace artwork {

uint8_t channelByte(float v) { return static_cast<uint8_t>(clamp01(v) * 255.0f + 0.5f); }

bool drawPixels(int32_t id, float scale, Pixels* out) {
  *out = Pixels();
  PictureSize size;
  if (!(scale >= 1.0f && scale <= 3.0f) || !pictureSize(id, scale, &size)) return false;
  out->width = size.width;
  out->height = size.height();
  out->rgba.reserve(static_cast<size_t>(out->width) * out->height * 4);
  const Lettering lettering = panelLettering();
  return drawPicture(id, scale, lettering, [&](const Image& band) {
    for (int y = band.firstRow(); y < band.endRow(); ++y)
      for (int x = 0; x < band.width(); ++x) {
        const RGBA& p = band.at(x, y);
        out->rgba.push_back(channelByte(p.r));
        out->rgba.push_back(channelByte(p.g));
        out->rgba.push_back(channelByte(p.b));
        out->rgba.push_back(channelByte(p.a));
      }
  });
}

}  // namespace artwork
