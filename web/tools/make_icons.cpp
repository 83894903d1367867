// Writes the web app's icons from the panel's own artwork: the "Repeat" knob
// with its scale, cut square out of the panel as it is drawn at the icon's
// size (the pictures are described once and drawn at any factor, so the
// icon is as sharp as the panel). Browsers offer to install a web app only
// with PNG icons of 192 and 512 pixels (web/site/manifest.webmanifest).
//
//   make_icons OUTPUT_DIR SIZE...   (writes OUTPUT_DIR/icon-SIZE.png)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/artwork/panel_pictures.h"
#include "editor/artwork/png_writer.h"
#include "editor/panel_layout.h"
#include "editor/scale/scaled_layout.h"

using namespace quillet::artwork;

namespace {

// The square of the panel the icon shows, at scale 1: the knob, its ticks and
// numbers, without the label under them.
constexpr int32_t kLeft = 225;
constexpr int32_t kTop = 25;
constexpr int32_t kSide = 130;
// The knob's frame: the pointer at 0.6 of its turn.
constexpr int32_t kKnobFrame = 60;

Image drawWhole(int32_t id, float scale, const Lettering& lettering, int band = -1) {
  PictureSize size;
  pictureSize(id, scale, &size);
  if (band >= 0) return drawBand(id, scale, lettering, band);
  Image whole(size.width, size.height());
  drawPicture(id, scale, lettering, [&](const Image& b) {
    for (int y = b.firstRow(); y < b.endRow(); ++y)
      for (int x = 0; x < b.width(); ++x) whole.at(x, y) = b.at(x, y);
  });
  return whole;
}

bool writeIcon(const std::string& path, int32_t side) {
  const float scale = static_cast<float>(side) / kSide;
  const Lettering lettering = panelLettering();
  const Image background = drawWhole(quillet::editor::kBackground, scale, lettering);
  const Image knob = drawWhole(quillet::editor::kLargeKnob, scale, lettering, kKnobFrame);
  const quillet::editor::Place at =
      quillet::editor::scaledPlace(quillet::editor::kRepeatKnob, scale);
  const int32_t left = quillet::editor::scaledLength(kLeft, scale);
  const int32_t top = quillet::editor::scaledLength(kTop, scale);
  if (left + side > background.width() || top + side > background.height()) return false;

  Image icon(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) icon.at(x, y) = background.at(left + x, top + y);
  // The knob's frame sits in its place on the panel, below the frame's top.
  const int32_t frameTop = knob.firstRow();
  for (int y = knob.firstRow(); y < knob.endRow(); ++y)
    for (int x = 0; x < knob.width(); ++x) {
      const int ix = at.left + x - left;
      const int iy = at.top + (y - frameTop) - top;
      if (icon.holds(ix, iy)) icon.blend(ix, iy, knob.at(x, y), 1.0f);
    }

  Pixels pixels;
  pixels.width = side;
  pixels.height = side;
  pixels.rgba.reserve(static_cast<size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const RGBA& p = icon.at(x, y);
      for (float c : {p.r, p.g, p.b, 1.0f}) pixels.rgba.push_back(channelByte(c));
    }
  return writeRGB(path, pixels);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_icons OUTPUT_DIR SIZE...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int side = std::atoi(argv[i]);
    if (side < 16 || side > 1024) {
      std::fprintf(stderr, "make_icons: %s is not a size from 16 to 1024 pixels\n", argv[i]);
      return 2;
    }
    const std::string path = std::string(argv[1]) + "/icon-" + std::to_string(side) + ".png";
    if (!writeIcon(path, side)) {
      std::fprintf(stderr, "make_icons: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
