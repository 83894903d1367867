// The note keys: echo time from the host's tempo, through the real panel.
#include "editor/tempo_sync.h"

#include <cmath>

#include "panel_fixture.h"

using namespace quillet::test;
using VSTGUI::kControl;
using VSTGUI::kLButton;

namespace {

// Centre of note key `k` (0 whole .. 5 thirty-second).
int keyX(int k) { return 345 + 30 * k + 15; }
constexpr int kKeyY = 237;

class TempoSync : public PanelTest {
 protected:
  // Presses a note key at `bpm` with the note-mode switch at `mode`.
  void pressNote(int k, double bpm, float mode = 0.0f) {
    Host::get().time.tempo = bpm;
    control(quillet::core::kTagNoteMode)->setValue(mode);
    click(keyX(k), kKeyY);
  }
};

TEST(TempoTable, InvertsTheDelayLawOfEachRange) {
  EXPECT_FLOAT_EQ(delayForTime(500.0).delay, 0.84674740f);
  EXPECT_EQ(delayForTime(500.0).range, 0.5f);
  EXPECT_FLOAT_EQ(delayForTime(2000.0).delay, 0.89502650f);
  EXPECT_EQ(delayForTime(2000.0).range, 1.0f);
  EXPECT_FLOAT_EQ(delayForTime(62.5).delay, 0.25f);
  EXPECT_EQ(delayForTime(62.5).range, 0.0f);
  EXPECT_FLOAT_EQ(delayForTime(900.0).delay, 0.58295876f);
  EXPECT_EQ(delayForTime(900.0).range, 1.0f);
}

TEST(TempoTable, EdgesOfTheRanges) {
  EXPECT_EQ(delayForTime(29.9).delay, 0.0f);
  EXPECT_EQ(delayForTime(29.9).range, 0.0f);
  EXPECT_FLOAT_EQ(delayForTime(160.0).delay, static_cast<float>(std::sqrt(40.0 / 530.0)));
  EXPECT_EQ(delayForTime(160.0).range, 0.5f);
  EXPECT_EQ(delayForTime(159.9).range, 0.0f);
  EXPECT_FLOAT_EQ(delayForTime(159.9).delay, static_cast<float>(129.9 / 130.0));
  EXPECT_EQ(delayForTime(2499.0).range, 1.0f);
  EXPECT_LT(delayForTime(2499.0).delay, 1.0f);
  EXPECT_EQ(delayForTime(2500.0).delay, 1.0f);
}

TEST(TempoTable, NoteModesUseSinglePrecisionThresholds) {
  EXPECT_EQ(noteModeFactor(0.0f), 1.0);
  EXPECT_EQ(noteModeFactor(0.3333333f), 1.0);
  EXPECT_EQ(noteModeFactor(0.33333334f), 1.5);
  EXPECT_EQ(noteModeFactor(0.5f), 1.5);
  EXPECT_EQ(noteModeFactor(0.6666666f), 1.5);
  EXPECT_EQ(noteModeFactor(0.6666667f), 2.0 / 3.0);
  EXPECT_EQ(noteModeFactor(1.0f), 2.0 / 3.0);
}

TEST_F(TempoSync, QuarterNoteAt120SetsDelayAndRangeInsideTheKeysGesture) {
  open();
  pressNote(2, 120.0);
  EXPECT_FLOAT_EQ(parameter(0), 0.84674740f);
  EXPECT_EQ(parameter(3), 0.5f);
  const auto edits = Host::get().edits();
  ASSERT_GE(edits.size(), 4u);
  EXPECT_TRUE(sameRequest(edits.front(), audioMasterBeginEdit, 1003));
  EXPECT_TRUE(sameRequest(edits[1], audioMasterAutomate, 0));
  EXPECT_FLOAT_EQ(edits[1].opt, 0.84674740f);
  EXPECT_TRUE(sameRequest(edits[2], audioMasterAutomate, 3));
  EXPECT_EQ(edits[2].opt, 0.5f);
  EXPECT_TRUE(sameRequest(edits.back(), audioMasterEndEdit, 1003));
  for (const Request& r : edits) {
    if (r.opcode != audioMasterAutomate) {
      EXPECT_EQ(r.index, 1003);
    }
  }
  // The panel follows: the Delay knob and the Range selector moved.
  EXPECT_FLOAT_EQ(value(0), 0.84674740f);
  EXPECT_EQ(value(3), 0.5f);
  // The host was asked for the tempo with the tempo-valid filter.
  bool asked = false;
  for (const Request& r : Host::get().requests) asked |= r.opcode == audioMasterGetTime;
  EXPECT_TRUE(asked);
}

TEST_F(TempoSync, TheTableOfNotesAndModes) {
  open();
  pressNote(0, 120.0);
  EXPECT_FLOAT_EQ(parameter(0), 0.89502650f);
  EXPECT_EQ(parameter(3), 1.0f);
  pressNote(5, 120.0);
  EXPECT_FLOAT_EQ(parameter(0), 0.25f);
  EXPECT_EQ(parameter(3), 0.0f);
  pressNote(5, 120.0, 1.0f);  // triplet
  EXPECT_FLOAT_EQ(parameter(0), 0.08974359f);
  EXPECT_EQ(parameter(3), 0.0f);
  pressNote(2, 100.0, 0.5f);  // dotted quarter, 900 ms
  EXPECT_FLOAT_EQ(parameter(0), 0.58295876f);
  EXPECT_EQ(parameter(3), 1.0f);
  pressNote(0, 95.0);  // about 2526 ms: capped
  EXPECT_EQ(parameter(0), 1.0f);
  EXPECT_EQ(parameter(3), 1.0f);
  pressNote(0, 60.0, 0.5f);  // dotted whole, 6000 ms
  EXPECT_EQ(parameter(0), 1.0f);
  EXPECT_EQ(parameter(3), 1.0f);
}

TEST_F(TempoSync, NoTimeInfoOrTempoZeroChangesNothing) {
  open();
  setParameter(0, 0.3f);
  setParameter(3, 0.0f);
  Host::get().timeAvailable = false;
  pressNote(2, 120.0);
  Host::get().timeAvailable = true;
  pressNote(2, 0.0);
  pressNote(2, -120.0);
  pressNote(2, std::nan(""));
  EXPECT_EQ(parameter(0), 0.3f);
  EXPECT_EQ(parameter(3), 0.0f);
  for (const Request& r : Host::get().edits()) EXPECT_NE(r.opcode, audioMasterAutomate);
}

TEST_F(TempoSync, NoteModeSwitchPositionsFromTheMouse) {
  open();
  // Left, middle and right thirds of the 150-pixel lamp row.
  click(365, 270);
  EXPECT_EQ(value(quillet::core::kTagNoteMode), 0.0f);
  click(435, 270);
  EXPECT_EQ(value(quillet::core::kTagNoteMode), 0.5f);
  click(505, 270);
  EXPECT_EQ(value(quillet::core::kTagNoteMode), 1.0f);
  // Ctrl-click restores its own default, dotted.
  click(365, 270, kLButton | kControl);
  EXPECT_EQ(value(quillet::core::kTagNoteMode), 0.5f);
  // The switch changes no parameter by itself.
  for (const Request& r : Host::get().edits()) EXPECT_NE(r.opcode, audioMasterAutomate);
  pressNote(2, 120.0, value(quillet::core::kTagNoteMode));  // dotted quarter: 750 ms
  EXPECT_FLOAT_EQ(parameter(0), static_cast<float>(std::cbrt(270.0 / 2120.0)));
}

TEST_F(TempoSync, HeldKeyFollowsThePointerAndSendsOnEveryChange) {
  open();
  const int x = keyX(3);
  // In, out of the key, back in, then release. Each phase lasts 20 turns of
  // at least 4 ms, long enough for an idle pass to draw the key in between.
  std::vector<quillet::platform::MouseState> moves;
  for (int y : {kKeyY, 300, kKeyY})
    for (int i = 0; i < 20; ++i) moves.push_back({{x, y}, kLButton});
  press(x, kKeyY, kLButton, moves);
  int automatesOfDelay = 0;
  for (const Request& r : Host::get().edits())
    if (sameRequest(r, audioMasterAutomate, 0)) ++automatesOfDelay;
  // Press (1), out (0), in (1), release (0): at least four sends (a change
  // not yet drawn when the next turn comes counts again).
  EXPECT_GE(automatesOfDelay, 4);
  EXPECT_EQ(value(1004), 0.0f);
}

}  // namespace
