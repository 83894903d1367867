#include "editor/artwork/panel_menu_picture.h"

#include <algorithm>
#include <cmath>

#include "editor/scale/scaled_layout.h"

namespace quillet::artwork {

namespace {

// At scale 1; every length is rounded at a scale as the panel's places are.
constexpr int32_t kPadding = 6;
constexpr int32_t kTitleHeight = 22;
constexpr int32_t kRowHeight = 18;

// The name plate's colours: dark plate, brass rim, cream lettering; the
// keyboard's row on a warm band.
const RGBA kPlate = rgb(0.13f, 0.13f, 0.14f, 0.97f);
const RGBA kRim = rgb(0.78f, 0.70f, 0.50f);
const RGBA kInk = rgb(0.93f, 0.86f, 0.68f);
const RGBA kDimInk = rgb(0.75f, 0.72f, 0.64f);
const RGBA kHighlight = rgb(0.36f, 0.31f, 0.20f);

}  // namespace

std::string percentText(float scale) { return std::to_string(std::lround(scale * 100.0f)) + " %"; }

std::string automaticText(float scale) {
  return std::string(kScaleMenuAutomatic) + " (" + percentText(scale) + ")";
}

std::string midiMenuTitle(const std::string& control, const std::string& source) {
  return source.empty() ? control : control + ": " + source;
}

int32_t MenuLayout::rowCount() const {
  return columns.empty() ? 0 : columns.back().firstRow + columns.back().rowCount;
}

int32_t MenuLayout::columnOf(int32_t row) const {
  for (size_t c = 0; c < columns.size(); ++c)
    if (row >= columns[c].firstRow && row < columns[c].firstRow + columns[c].rowCount)
      return static_cast<int32_t>(c);
  return -1;
}

MenuLayout menuLayout(float scale, const std::vector<MenuSection>& sections) {
  MenuLayout l;
  if (!(scale >= 1.0f && scale <= 3.0f) || sections.empty()) return l;
  const auto len = [scale](int32_t n) { return quillet::editor::scaledLength(n, scale); };
  l.rowsTop = len(kPadding + kTitleHeight);
  l.rowHeight = len(kRowHeight);
  int32_t mostRows = 0, left = 0, firstRow = 0;
  for (const MenuSection& section : sections) {
    MenuLayout::Column c;
    c.left = left;
    c.width = len(section.widthAtOne);
    c.rowLeft = c.left + len(kPadding);
    c.rowRight = c.left + c.width - len(kPadding);
    c.firstRow = firstRow;
    c.rowCount = static_cast<int32_t>(section.rows.size());
    l.columns.push_back(c);
    left += c.width;
    firstRow += c.rowCount;
    mostRows = std::max(mostRows, c.rowCount);
  }
  l.width = left;
  l.height = l.rowsTop + mostRows * l.rowHeight + len(kPadding);
  return l;
}

Image drawMenu(float scale, const Lettering& lettering, const std::vector<MenuSection>& sections,
               int32_t highlighted) {
  const MenuLayout l = menuLayout(scale, sections);
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
  for (size_t c = 0; c < sections.size(); ++c) {
    const MenuSection& section = sections[c];
    const MenuLayout::Column& col = l.columns[c];
    const float centre = col.left + col.width / 2.0f;
    lettering.bold.drawCentred(img, section.title, 11.0f * s, centre, (kPadding + 15) * s, kDimInk);
    const float ruleY = l.rowsTop - 3.0f * s;
    fill(
        img, Box{col.rowLeft - 1.0f, ruleY - 2.0f, col.rowRight + 1.0f, ruleY + 2.0f},
        [&](float x, float y) {
          return sdSegment(x, y, col.rowLeft + 4 * s, ruleY, col.rowRight - 4 * s, ruleY, 0.5f * s);
        },
        Solid{kRim});
    // A hairline between two columns.
    if (c > 0) {
      const float x0 = static_cast<float>(col.left);
      fill(
          img, Box{x0 - 2.0f, 6.0f * s, x0 + 2.0f, h - 6.0f * s},
          [&](float x, float y) { return sdSegment(x, y, x0, 8 * s, x0, h - 8 * s, 0.4f * s); },
          Solid{kRim});
    }
    for (int32_t i = 0; i < col.rowCount; ++i) {
      const float top = static_cast<float>(l.rowsTop + i * l.rowHeight);
      const float middle = top + l.rowHeight / 2.0f;
      if (col.firstRow + i == highlighted) {
        const float x0 = static_cast<float>(col.rowLeft), x1 = static_cast<float>(col.rowRight);
        const float y1 = top + l.rowHeight;
        fill(
            img, Box{x0, top, x1, y1},
            [&](float x, float y) { return sdRoundRect(x, y, x0, top + 1, x1, y1 - 1, 2 * s); },
            Solid{kHighlight});
      }
      if (i == section.marked) {
        const float cx = col.rowLeft + 9 * s, r = 3.0f * s;
        fill(
            img, around(cx, middle, r + 1),
            [&](float x, float y) { return sdCircle(x, y, cx, middle, r); }, Solid{kRim});
      }
      lettering.regular.draw(img, section.rows[i], 11.0f * s, col.rowLeft + 20 * s,
                             middle + 4.0f * s, kInk);
    }
  }
  return img;
}

bool drawMenuPixels(float scale, const std::vector<MenuSection>& sections, int32_t highlighted,
                    Pixels* out) {
  *out = Pixels();
  const Image img = drawMenu(scale, panelLettering(), sections, highlighted);
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

}  // namespace quillet::artwork
