// The panel's rectangles at every supported scale: sizes, and neighbours
// that neither drift apart nor run into each other.
#include "editor/scale/scaled_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "editor/scale/scale_steps.h"

using namespace quillet::editor;

namespace {

struct Named {
  const char* name;
  Place place;
};

std::vector<Named> controls() {
  std::vector<Named> all = {{"Delay", kDelayKnob},
                            {"Repeat", kRepeatKnob},
                            {"Level", kLevelKnob},
                            {"Dry", kDryKnob},
                            {"Pan", kPanKnob},
                            {"X-Feed", kXFeedKnob},
                            {"Range", kRangeSwitch},
                            {"note mode", kNoteModeSwitch},
                            {"PingPong", kPingPongSwitch},
                            {"Mute", kMuteKeyPlace},
                            {"Mono Out", kMonoOutKeyPlace},
                            {"KnobDust", kDustLampPlace}};
  for (int i = 0; i < 6; ++i) {
    Place key = kFirstNoteKey;
    key.left += i * key.width;
    all.push_back({"note key", key});
  }
  return all;
}

// Columns (or rows) two spans share, negative for a gap between them.
int overlap(int aStart, int aLength, int bStart, int bLength) {
  return std::min(aStart + aLength, bStart + bLength) - std::max(aStart, bStart);
}

TEST(ScaledLayout, PanelSizeIsRoundedProduct) {
  const struct {
    float scale;
    int width, height;
  } sizes[] = {{1, 586, 385},  {1.25f, 733, 481}, {1.5f, 879, 578}, {1.75f, 1026, 674},
               {2, 1172, 770}, {2.5f, 1465, 963}, {3, 1758, 1155}};
  for (const auto& s : sizes) {
    EXPECT_EQ(scaledLength(kPanelWidth, s.scale), s.width) << s.scale;
    EXPECT_EQ(scaledLength(kPanelHeight, s.scale), s.height) << s.scale;
  }
}

TEST(ScaledLayout, ScaleOneIsTheLayoutItself) {
  for (const Named& c : controls()) {
    const Place p = scaledPlace(c.place, 1.0f);
    EXPECT_EQ(p.left, c.place.left);
    EXPECT_EQ(p.top, c.place.top);
    EXPECT_EQ(p.width, c.place.width);
    EXPECT_EQ(p.height, c.place.height);
  }
}

TEST(ScaledLayout, ControlsSharingAPictureShareItsSize) {
  for (float s : quillet::editor::kScaleSteps) {
    const Place large[] = {scaledPlace(kDelayKnob, s), scaledPlace(kRepeatKnob, s),
                           scaledPlace(kLevelKnob, s)};
    const Place small[] = {scaledPlace(kDryKnob, s), scaledPlace(kPanKnob, s),
                           scaledPlace(kXFeedKnob, s)};
    for (const Place& p : large) {
      EXPECT_EQ(p.width, scaledLength(100, s));
      EXPECT_EQ(p.height, scaledLength(100, s));
    }
    for (const Place& p : small) {
      EXPECT_EQ(p.width, scaledLength(30, s));
      EXPECT_EQ(p.height, scaledLength(30, s));
    }
  }
  EXPECT_EQ(scaledLength(30, 1.25f), 38);  // 37.5 rounds up
  EXPECT_EQ(scaledLength(30, 1.75f), 53);  // 52.5 rounds up
}

TEST(ScaledLayout, EveryEdgeWithinHalfAPixelOfItsExactPlace) {
  for (float s : quillet::editor::kScaleSteps)
    for (const Named& c : controls()) {
      const Place p = scaledPlace(c.place, s);
      EXPECT_LE(std::abs(p.left - c.place.left * s), 0.5f) << c.name << " at " << s;
      EXPECT_LE(std::abs(p.top - c.place.top * s), 0.5f) << c.name << " at " << s;
      EXPECT_LE(std::abs(p.left + p.width - (c.place.left + c.place.width) * s), 1.0f);
      EXPECT_LE(std::abs(p.top + p.height - (c.place.top + c.place.height) * s), 1.0f);
      EXPECT_LE(p.left + p.width, scaledLength(kPanelWidth, s)) << c.name;
      EXPECT_LE(p.top + p.height, scaledLength(kPanelHeight, s)) << c.name;
    }
}

// Touching rectangles (the note keys) stay touching or share one column, and
// nothing apart at 1 overlaps at any scale; the overlaps that exist at 1 (the
// KnobDust lamp over the Delay knob) keep their place.
TEST(ScaledLayout, NoGapsAndNoNewOverlaps) {
  const std::vector<Named> all = controls();
  for (float s : quillet::editor::kScaleSteps)
    for (size_t i = 0; i < all.size(); ++i)
      for (size_t j = i + 1; j < all.size(); ++j) {
        const Place a1 = all[i].place, b1 = all[j].place;
        const Place a = scaledPlace(a1, s), b = scaledPlace(b1, s);
        const int across1 = overlap(a1.left, a1.width, b1.left, b1.width);
        const int down1 = overlap(a1.top, a1.height, b1.top, b1.height);
        const int across = overlap(a.left, a.width, b.left, b.width);
        const int down = overlap(a.top, a.height, b.top, b.height);
        SCOPED_TRACE(std::string(all[i].name) + " / " + all[j].name + " at " + std::to_string(s));
        if (across1 < 0 || down1 < 0) {
          EXPECT_TRUE(across <= 0 || down <= 0) << "apart at 1, overlapping now";
        } else if (across1 == 0 && down1 > 0) {
          EXPECT_GE(across, 0) << "touching at 1, a gap now";
          EXPECT_LE(across, 1) << "touching at 1, sharing more than a column now";
        } else if (across1 > 0 && down1 > 0) {
          EXPECT_GT(across, 0);
          EXPECT_GT(down, 0);
        }
      }
}

}  // namespace
