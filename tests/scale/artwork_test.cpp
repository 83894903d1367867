// The panel's pictures drawn at every scale: their sizes, sharp edges at the
// larger sizes (drawn again, not blown up), the same pixels whichever way
// the drawing is split, and the stored files at scale 1 (through the
// decoder the panel uses).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "editor/artwork/panel_pictures.h"
#include "editor/artwork/picture_pixels.h"
#include "editor/artwork/picture_set.h"
#include "editor/panel_layout.h"
#include "editor/scale/scale_steps.h"

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
}

using namespace quillet::artwork;

namespace {

struct Expected {
  int32_t id, width, frameHeight, frames;
};
const Expected kAtScaleOne[] = {{101, 586, 385, 1}, {102, 100, 100, 100}, {103, 80, 80, 3},
                                {104, 30, 30, 2},   {105, 30, 30, 2},     {106, 30, 30, 2},
                                {107, 30, 30, 2},   {108, 30, 30, 2},     {109, 30, 30, 2},
                                {110, 150, 30, 3},  {111, 60, 40, 2},     {112, 30, 30, 101},
                                {113, 30, 30, 2},   {114, 28, 28, 2},     {115, 120, 30, 3}};

uint8_t red(const Pixels& p, int x, int y) {
  return p.rgba[(static_cast<size_t>(y) * p.width + x) * 4];
}

TEST(PanelPictures, SizesAtEveryScale) {
  for (const Expected& e : kAtScaleOne)
    for (float s : quillet::editor::kScaleSteps) {
      PictureSize size;
      ASSERT_TRUE(pictureSize(e.id, s, &size));
      EXPECT_EQ(size.width, static_cast<int>(e.width * s + 0.5f)) << e.id << " at " << s;
      EXPECT_EQ(size.frameHeight, static_cast<int>(e.frameHeight * s + 0.5f)) << e.id;
      EXPECT_EQ(size.frames, e.frames) << e.id;
    }
  PictureSize size;
  ASSERT_TRUE(pictureSize(quillet::editor::kLargeKnob, 2.0f, &size));
  EXPECT_EQ(size.width, 200);
  EXPECT_EQ(size.height(), 20000);
  ASSERT_TRUE(pictureSize(quillet::editor::kSmallKnob, 1.25f, &size));
  EXPECT_EQ(size.width, 38);
  EXPECT_EQ(size.height(), 38 * 101);
  ASSERT_TRUE(pictureSize(quillet::editor::kNoteModeLamps, 1.75f, &size));
  EXPECT_EQ(size.width, 263);
  EXPECT_EQ(size.height(), 3 * 53);
  EXPECT_FALSE(pictureSize(100, 1.0f, &size));
  EXPECT_FALSE(pictureSize(116, 1.0f, &size));
}

TEST(PanelPictures, DrawnPixelsHaveThatSize) {
  for (int32_t id : {101, 103, 110, 111, 114}) {
    Pixels p;
    ASSERT_TRUE(drawPixels(id, 1.5f, &p));
    PictureSize size;
    pictureSize(id, 1.5f, &size);
    EXPECT_EQ(p.width, size.width);
    EXPECT_EQ(p.height, size.height());
    EXPECT_EQ(p.rgba.size(), static_cast<size_t>(p.width) * p.height * 4);
  }
  Pixels p;
  EXPECT_FALSE(drawPixels(116, 2.0f, &p));
  EXPECT_TRUE(p.rgba.empty());
  for (float bad : {0.5f, 3.5f, 0.0f}) EXPECT_FALSE(drawPixels(101, bad, &p)) << bad;
}

TEST(PanelPictures, BackgroundStaysOpaque) {
  Pixels p;
  ASSERT_TRUE(drawPixels(quillet::editor::kBackground, 2.5f, &p));
  for (size_t i = 3; i < p.rgba.size(); i += 4) ASSERT_EQ(p.rgba[i], 255) << i / 4;
}

// The picture as the panel decodes the stored file, straight RGBA.
Pixels storedPicture(int32_t id) {
  Pixels p;
  const std::string path = std::string(ARTWORK_DIR) + "/" + std::to_string(id) + ".png";
  std::vector<unsigned char> file;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
      file.insert(file.end(), buffer, buffer + n);
    std::fclose(f);
  }
  int w = 0, h = 0, channels = 0;
  if (unsigned char* data =
          stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &channels, 4)) {
    p.width = w;
    p.height = h;
    p.rgba.assign(data, data + static_cast<size_t>(w) * h * 4);
    stbi_image_free(data);
  }
  return p;
}

// At scale 1 the library draws exactly the stored pictures. (The note keys
// are stored with a palette, so their files hold the quantised colours; the
// generator's files are compared byte for byte by a test of their own.)
TEST(PanelPictures, ScaleOneIsTheStoredPictures) {
  for (const Expected& e : kAtScaleOne) {
    if (e.id >= quillet::editor::kWholeNoteKey && e.id < quillet::editor::kWholeNoteKey + 6)
      continue;
    const Pixels stored = storedPicture(e.id);
    ASSERT_EQ(stored.width, e.width) << e.id;
    Pixels drawn;
    ASSERT_TRUE(drawPixels(e.id, 1.0f, &drawn));
    // The background is stored without alpha: the decoder gives 255, as drawn.
    ASSERT_EQ(drawn.rgba, stored.rgba) << e.id;
  }
}

// Along one row of `p` from x0 to x1, across a dark stroke on a lighter
// ground: the pixels at most a tenth of the way up from the darkest, and
// those between that and a tenth below the ground at both ends. An
// anti-aliased edge has one pixel between; a picture blown up from a smaller
// one has several.
struct Profile {
  int dark = 0, between = 0;
};
Profile profileOf(const Pixels& p, int y, int x0, int x1) {
  int lo = 255;
  for (int x = x0; x <= x1; ++x) lo = std::min<int>(lo, red(p, x, y));
  const int ground = std::min<int>(red(p, x0, y), red(p, x1, y));
  const int margin = (ground - lo) / 10;
  Profile out;
  for (int x = x0; x <= x1; ++x) {
    const int v = red(p, x, y);
    if (v <= lo + margin) {
      ++out.dark;
    } else if (v < ground - margin) {
      ++out.between;
    }
  }
  return out;
}

// The engraved pointer line of the large knob (3.6 pixels wide at scale 1),
// crossed halfway along: as wide times the scale, one pixel of edge a side.
TEST(PanelPictures, LinesStaySharpWhenLarger) {
  const Lettering lettering = panelLettering();
  for (float s : {1.0f, 1.5f, 2.0f, 3.0f}) {
    const int frame = 49;  // pointing almost straight up
    const Image band = drawBand(quillet::editor::kLargeKnob, s, lettering, frame);
    // The band's pixels as the panel gets them.
    Pixels p;
    p.width = band.width();
    p.height = band.endRow();
    p.rgba.resize(static_cast<size_t>(p.width) * p.height * 4);
    for (int y = band.firstRow(); y < band.endRow(); ++y)
      for (int x = 0; x < band.width(); ++x)
        p.rgba[(static_cast<size_t>(y) * p.width + x) * 4] = channelByte(band.at(x, y).r);
    const int h = band.height();
    const int y = static_cast<int>(frame * h + h / 2.0f - 21 * s);
    const int centre = static_cast<int>(p.width / 2.0f - 0.5f * s);
    const int reach = static_cast<int>(1.8f * s) + 3;
    const Profile line = profileOf(p, y, centre - reach, centre + reach);
    SCOPED_TRACE(s);
    EXPECT_LE(line.between, 2);
    EXPECT_GE(line.dark, static_cast<int>(3.6f * s) - 1);
    EXPECT_LE(line.dark, static_cast<int>(3.6f * s) + 1);
  }
}

// The letter m of the Mono Out key, across its three stems: six edges of
// one pixel each, the stems wider at each scale.
TEST(PanelPictures, LetteringStaysSharpWhenLarger) {
  int stemsAtOne = 0;
  for (float s : {1.0f, 2.0f, 3.0f}) {
    Pixels p;
    ASSERT_TRUE(drawPixels(quillet::editor::kMonoOutKey, s, &p));
    const int y = static_cast<int>(p.width * 0.55f);
    // Inside the key's face, clear of its bevelled rim.
    const Profile m = profileOf(p, y, static_cast<int>(6 * s), static_cast<int>(24 * s));
    SCOPED_TRACE(s);
    EXPECT_LE(m.between, 6 + 1);
    if (s == 1.0f) stemsAtOne = m.dark;
    EXPECT_GE(m.dark, static_cast<int>(stemsAtOne * s) - 3);
  }
}

// Drawing only where each shape reaches, skipping what a later layer covers,
// and reusing a frame's unchanging parts give the pixels that drawing every
// shape over the whole band gives.
TEST(PanelPictures, ShortcutsChangeNoPixel) {
  const Lettering lettering = panelLettering();
  struct Case {
    int32_t id;
    float scale;
    std::vector<int> bands;
  } cases[] = {{quillet::editor::kLargeKnob, 2.5f, {0, 1, 49, 99}},
               {quillet::editor::kLargeKnob, 1.75f, {0, 98}},
               {quillet::editor::kSmallKnob, 1.25f, {0, 50, 100}},
               {quillet::editor::kRangeSelector, 3.0f, {0, 1, 2}},
               {quillet::editor::kMuteKey, 1.75f, {0, 1}},
               {quillet::editor::kNoteModeLamps, 2.5f, {0, 1, 2}},
               {quillet::editor::kWholeNoteKey, 1.25f, {0, 1}},
               {quillet::editor::kWholeNoteKey + 5, 3.0f, {1}},
               {quillet::editor::kDustLamp, 1.5f, {1}},
               {quillet::editor::kBackground, 1.25f, {0}}};
  for (const Case& c : cases)
    for (int band : c.bands) {
      FrameCache cache;
      // Two bands through the same cache, as a worker draws them.
      drawBand(c.id, c.scale, lettering, std::max(band - 1, 0), &cache);
      const Image fast = drawBand(c.id, c.scale, lettering, band, &cache);
      setDrawEverywhere(true);
      const Image plain = drawBand(c.id, c.scale, lettering, band);
      setDrawEverywhere(false);
      int differing = 0;
      for (int y = fast.firstRow(); y < fast.endRow(); ++y)
        for (int x = 0; x < fast.width(); ++x) {
          const RGBA a = fast.at(x, y), b = plain.at(x, y);
          differing += a.r != b.r || a.g != b.g || a.b != b.b || a.a != b.a;
        }
      EXPECT_EQ(differing, 0) << "picture " << c.id << " at " << c.scale << ", band " << band;
    }
}

TEST(PanelPictures, ThreadsShareTheWorkNotThePixels) {
  Pixels one, three;
  ASSERT_TRUE(drawPixels(quillet::editor::kSmallKnob, 1.75f, &one, 1));
  ASSERT_TRUE(drawPixels(quillet::editor::kSmallKnob, 1.75f, &three, 3));
  EXPECT_EQ(one.rgba, three.rgba);
}

// Panels open at the same scale share one set, drawn once even when two
// ask at the same moment.
TEST(PictureSets, OneSetPerScaleWhileHeld) {
  std::shared_ptr<const PictureSet> a, b;
  std::thread other([&] { a = PictureSet::forScale(1.25f); });
  b = PictureSet::forScale(1.25f);
  other.join();
  ASSERT_TRUE(a);
  EXPECT_EQ(a.get(), b.get());
  EXPECT_EQ(a->scale(), 1.25f);
  for (const Expected& e : kAtScaleOne) {
    const Pixels* p = a->picture(e.id);
    ASSERT_NE(p, nullptr);
    PictureSize size;
    pictureSize(e.id, 1.25f, &size);
    EXPECT_EQ(p->width, size.width);
    EXPECT_EQ(p->height, size.height());
  }
  EXPECT_EQ(a->picture(100), nullptr);
  EXPECT_EQ(a->picture(116), nullptr);
  const std::shared_ptr<const PictureSet> other125 = PictureSet::forScale(1.25f);
  EXPECT_EQ(other125.get(), a.get());
  const std::shared_ptr<const PictureSet> larger = PictureSet::forScale(1.5f);
  EXPECT_NE(larger.get(), a.get());
  EXPECT_FALSE(PictureSet::forScale(0.5f));
  EXPECT_FALSE(PictureSet::forScale(3.5f));
}

}  // namespace
