#include "editor/artwork/scale_menu_picture.h"

#include <cmath>

#include "editor/scale/scaled_layout.h"

namespace artwork {

namespace {

// At scale 1; every length is rounded at a scale as the panel's places are.
constexpr int32_t kWidth = 150;
constexpr int32_t kPadding = 6;
constexpr int32_t kTitleHeight = 22;
constexpr int32_t kRowHeight = 18;

// The name plate's colours: dark plate, brass rim, cream lettering.
const RGBA kPlate = rgb(0.13f, 0.13f, 0.14f, 0.97f);
const RGBA kRim = rgb(0.78f, 0.70f, 0.50f);
const RGBA kInk = rgb(0.93f, 0.86f, 0.68f);
const RGBA kDimInk = rgb(0.75f, 0.72f, 0.64f);

}  // namespace

std::string percentText(float scale) { return std::to_string(std::lround(scale * 100.0f)) + " %"; }

std::string automaticText(float scale) {
  return std::string(kScaleMenuAutomatic) + " (" + percentText(scale) + ")";
}

ScaleMenuLayout scaleMenuLayout(float scale, int32_t rows) {
  ScaleMenuLayout l;
  if (!(scale >= 1.0f && scale <= 3.0f) || rows < 0) return l;
  const auto len = [scale](int32_t n) { return panel::scaledLength(n, scale); };
  l.width = len(kWidth);
  l.rowsTop = len(kPadding + kTitleHeight);
  l.rowHeight = len(kRowHeight);
  l.height = l.rowsTop + rows * l.rowHeight + len(kPadding);
  l.rowLeft = len(kPadding);
  l.rowRight = l.width - len(kPadding);
  return l;
}

Image drawScaleMenu(float scale, const Lettering& lettering, const std::vector<std::string>& rows,
                    int32_t marked) {
  const ScaleMenuLayout l = scaleMenuLayout(scale, static_cast<int32_t>(rows.size()));
  if (l.width <= 0) return Image(0, 0);
  Image img(l.width, l.height);
  const float s = scale, w = static_cast<float>(l.width), h = static_cast<float>(l.height);
  const Box all{0, 0, w, h};
  fill(
      img, all, [&](float x, float y) { return sdRoundRect(x, y, 0, 0, w, h, 4 * s); },
      Solid{kPlate});
  // A thin brass rim just inside the edge.
  fill(
      img, all,
      [&](float x, float y) {
        const float outer =
            sdRoundRect(x, y, 1.5f * s, 1.5f * s, w - 1.5f * s, h - 1.5f * s, 3 * s);
        return std::fmax(outer, -(outer + 1.0f * s));
      },
      Solid{kRim});
  lettering.bold.drawCentred(img, kScaleMenuTitle, 11.0f * s, w / 2, (kPadding + 15) * s, kDimInk);
  const float ruleY = l.rowsTop - 3.0f * s;
  fill(
      img, Box{l.rowLeft - 1.0f, ruleY - 2.0f, l.rowRight + 1.0f, ruleY + 2.0f},
      [&](float x, float y) {
        return sdSegment(x, y, l.rowLeft + 4 * s, ruleY, l.rowRight - 4 * s, ruleY, 0.5f * s);
      },
      Solid{kRim});
  for (size_t i = 0; i < rows.size(); ++i) {
    const float top = static_cast<float>(l.rowsTop + static_cast<int32_t>(i) * l.rowHeight);
    const float middle = top + l.rowHeight / 2.0f;
    if (static_cast<int32_t>(i) == marked) {
      const float cx = l.rowLeft + 9 * s, r = 3.0f * s;
      fill(
          img, around(cx, middle, r + 1),
          [&](float x, float y) { return sdCircle(x, y, cx, middle, r); }, Solid{kRim});
    }
    lettering.regular.draw(img, rows[i], 11.0f * s, l.rowLeft + 20 * s, middle + 4.0f * s, kInk);
  }
  return img;
}

bool drawScaleMenuPixels(float scale, const std::vector<std::string>& rows, int32_t marked,
                         Pixels* out) {
  *out = Pixels();
  const Image img = drawScaleMenu(scale, panelLettering(), rows, marked);
  if (img.width() <= 0 || img.height() <= 0) return false;
  out->width = img.width();
  out->height = img.height();
  out->rgba.resize(static_cast<size_t>(out->width) * out->height * 4);
  uint8_t* to = out->rgba.data();
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const RGBA& p = img.at(x, y);
      *to++ = channelByte(p.r);
      *to++ = channelByte(p.g);
      *to++ = channelByte(p.b);
      *to++ = channelByte(p.a);
    }
  return true;
}

}  // namespace artwork
