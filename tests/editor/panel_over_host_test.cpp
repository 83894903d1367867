// The panel on its own, as any plug-in format hosts it: a recording
// PanelHost, the headless window, and no VST 2.4 class linked in. What the
// host sees of each gesture, what the panel shows of what the host kept, and
// the entry points a format's editor calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "core/panel_host.h"
#include "core/param_table.h"
#include "editor/quillet_panel.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "platform/headless_window.h"

namespace {

using quillet::editor::QuilletPanel;
using quillet::platform::HeadlessWindow;
using quillet::platform::MouseState;
using VSTGUI::kLButton;
using VSTGUI::kRButton;

// Stores what the panel sends, keeps it as `keep` says and records every call
// as "b0", "e0", "p0=0.100000".
struct RecordingHost : quillet::core::PanelHost {
  RecordingHost() {
    for (int i = 0; i < quillet::core::kNumQuilletParams; ++i)
      values[i] = quillet::core::kQuilletParams[i].defaultValue;
  }
  float parameterValue(int32_t index) override {
    return index >= 0 && index < quillet::core::kNumQuilletParams ? values[index].load() : 0.0f;
  }
  void beginGesture(int32_t tag) override { calls.push_back("b" + std::to_string(tag)); }
  void endGesture(int32_t tag) override { calls.push_back("e" + std::to_string(tag)); }
  void performEdit(int32_t index, float value) override {
    calls.push_back("p" + std::to_string(index) + "=" + std::to_string(value));
    if (index >= 0 && index < quillet::core::kNumQuilletParams) values[index] = keep(value);
  }
  double hostTempo() override { return tempo; }
  void idleDuringGesture() override { ++idles; }

  // A pedal's host (the standalone program): taps and MIDI learning.
  bool pedal = false;
  bool takesTaps() override { return pedal; }
  void tapTempo() override { calls.push_back("tap"); }
  void noteKeyChosen(double quarterNotes) override {
    if (pedal) calls.push_back("note" + std::to_string(quarterNotes));
  }
  bool offersMidiLearn() override { return pedal; }
  std::string midiSourceOf(int32_t tag) override {
    return tag == quillet::engine::kParamRepeat ? "cc 11" : "";
  }
  bool learningMidi(int32_t tag) override { return tag == learning; }
  void learnMidi(int32_t tag) override { calls.push_back("learn" + std::to_string(tag)); }
  void forgetMidi(int32_t tag) override { calls.push_back("forget" + std::to_string(tag)); }
  int32_t learning = -1;

  float (*keep)(float) = [](float v) { return v; };
  std::atomic<float> values[quillet::core::kNumQuilletParams];
  std::vector<std::string> calls;
  double tempo = 120.0;
  int idles = 0;
};

class PanelOverHost : public ::testing::Test {
 protected:
  void SetUp() override { quillet::platform::setPlatformWindowFactory(&HeadlessWindow::create); }
  void TearDown() override { quillet::platform::setPlatformWindowFactory(nullptr); }

  void open() {
    ASSERT_TRUE(panel.open(&parentWindow));
    panel.idle();  // the first paint
    host.calls.clear();
  }
  void press(int x, int y, int32_t buttons, const std::vector<MouseState>& moves = {}) {
    HeadlessWindow::latest()->scriptMouse(moves);
    HeadlessWindow::latest()->queueMouseDown(quillet::platform::Point(x, y), buttons);
    panel.idle();
  }
  float shown(int32_t tag) { return panel.controlForTag(tag)->getValue(); }

  RecordingHost host;
  quillet::editor::QuilletPanel panel{host};
  int parentWindow = 0;  // any address stands for the host's window
};

TEST_F(PanelOverHost, ClosedPanelKnowsItsSizeAndIgnoresEverything) {
  EXPECT_EQ(panel.width(), 586);
  EXPECT_EQ(panel.height(), 385);
  EXPECT_FALSE(panel.isOpen());
  EXPECT_TRUE(panel.windowGone());
  EXPECT_EQ(panel.nativeWindow(), 0u);
  EXPECT_EQ(panel.eventFileDescriptor(), -1);
  VSTGUI::CKeyCode up;
  up.virt = VSTGUI::VKEY_UP;
  EXPECT_FALSE(panel.keyDown(up));
  EXPECT_FALSE(panel.keyUp(up));
  EXPECT_FALSE(panel.wheel(1.0f));
  panel.parameterChanged(0);
  panel.parameterChanged(-1);
  panel.parameterChanged(quillet::core::kNumQuilletParams);
  panel.idle();
  panel.close();
  EXPECT_EQ(panel.controlForTag(0), nullptr);
  EXPECT_FALSE(panel.open(nullptr));  // no parent, no window
  EXPECT_EQ(HeadlessWindow::liveCount(), 0);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(PanelOverHost, OpensOnTheHostsValuesInLinearMode) {
  host.values[quillet::engine::kParamDelay] = 0.5f;
  host.values[quillet::engine::kParamPan] = 0.5f;
  quillet::editor::PanelShell::setKnobMode(VSTGUI::kCircularMode);
  open();
  EXPECT_FALSE(panel.windowGone());
  EXPECT_EQ(static_cast<VSTGUI::CAnimKnob*>(panel.controlForTag(quillet::engine::kParamDelay))
                ->getFrameIndex(),
            49);
  EXPECT_EQ(static_cast<VSTGUI::CAnimKnob*>(panel.controlForTag(quillet::engine::kParamPan))
                ->getFrameIndex(),
            50);
  EXPECT_EQ(shown(quillet::engine::kParamDry), 1.0f);
  EXPECT_EQ(shown(quillet::core::kTagNoteMode), 0.0f);
  EXPECT_EQ(quillet::editor::PanelShell::knobMode, VSTGUI::kLinearMode);
  // Opening again replaces the window.
  ASSERT_TRUE(panel.open(&parentWindow));
  EXPECT_EQ(HeadlessWindow::liveCount(), 1);
  panel.close();
  EXPECT_EQ(HeadlessWindow::liveCount(), 0);
}

TEST_F(PanelOverHost, DragIsOneGestureOfEditsAndLetsTheHostIdle) {
  open();
  std::vector<MouseState> moves;
  for (int i = 1; i <= 40; ++i) moves.push_back({{100, 90 - i}, kLButton});
  press(100, 90, kLButton, moves);
  ASSERT_GE(host.calls.size(), 3u);
  EXPECT_EQ(host.calls.front(), "b0");
  EXPECT_EQ(host.calls.back(), "e0");
  for (size_t i = 1; i + 1 < host.calls.size(); ++i)
    EXPECT_EQ(host.calls[i].substr(0, 3), "p0=") << host.calls[i];
  EXPECT_EQ(host.calls[host.calls.size() - 2], "p0=" + std::to_string(0.1f));
  EXPECT_GE(host.idles, 1);  // about every 50 ms of tracking
}

TEST_F(PanelOverHost, ShowsWhatTheHostKeptWithoutBeingTold) {
  // A host that stores only quarters.
  host.keep = [](float v) { return std::round(v * 4.0f) / 4.0f; };
  open();
  HeadlessWindow::latest()->queueWheel(quillet::platform::Point(200, 140), 1.0f,
                                       0);  // Pan 0.5 + 0.1
  panel.idle();
  const std::vector<std::string> expected = {"b6", "p6=" + std::to_string(0.6f), "e6"};
  EXPECT_EQ(host.calls, expected);
  panel.idle();
  EXPECT_EQ(shown(quillet::engine::kParamPan), 0.5f);
}

TEST_F(PanelOverHost, NoteKeySetsDelayThenRangeInsideTheKeysOwnGesture) {
  open();
  press(405 + 15, 237, kLButton);  // quarter note at 120 bpm: 500 ms
  ASSERT_GE(host.calls.size(), 4u);
  EXPECT_EQ(host.calls.front(), "b1003");
  EXPECT_EQ(host.calls.back(), "e1003");
  for (size_t i = 1; i + 1 < host.calls.size(); i += 2) {
    EXPECT_EQ(host.calls[i], "p0=" + std::to_string(0.84674740f));
    EXPECT_EQ(host.calls[i + 1], "p3=" + std::to_string(0.5f));
  }
  panel.idle();
  EXPECT_EQ(shown(quillet::engine::kParamDelay), 0.84674740f);
  EXPECT_EQ(shown(quillet::engine::kParamRange), 0.5f);

  // Without a usable tempo the key is pressed and released, nothing set.
  for (double none : {0.0, -120.0, std::nan("")}) {
    host.tempo = none;
    host.calls.clear();
    press(405 + 15, 237, kLButton);
    const std::vector<std::string> expected = {"b1003", "e1003"};
    EXPECT_EQ(host.calls, expected) << none;
  }
}

TEST_F(PanelOverHost, KeysGoToTheKnobAGestureFocused) {
  open();
  VSTGUI::CKeyCode up;
  up.virt = VSTGUI::VKEY_UP;
  EXPECT_FALSE(panel.keyDown(up));
  press(480, 90, kLButton);  // Level takes the focus
  host.calls.clear();
  up.modifier = VSTGUI::MODIFIER_SHIFT;
  EXPECT_TRUE(panel.keyDown(up));
  EXPECT_FALSE(panel.keyUp(up));
  const std::vector<std::string> expected = {"b2", "p2=" + std::to_string(0.01f), "e2"};
  EXPECT_EQ(host.calls, expected);
  HeadlessWindow::latest()->movePointer({{480, 90}, 0});
  EXPECT_TRUE(panel.wheel(-1.0f));  // back to 0
  EXPECT_EQ(host.values[quillet::engine::kParamLevel], 0.0f);
}

TEST_F(PanelOverHost, StoresFromAnotherThreadAreShownByTheNextIdle) {
  open();
  std::atomic<bool> stop{false};
  std::thread storing([&] {
    for (int i = 0; !stop; ++i) {
      host.values[quillet::engine::kParamRepeat] = (i % 100) / 100.0f;
      panel.parameterChanged(quillet::engine::kParamRepeat);
    }
  });
  for (int i = 0; i < 200; ++i) panel.idle();
  stop = true;
  storing.join();
  panel.idle();
  EXPECT_EQ(shown(quillet::engine::kParamRepeat),
            host.values[quillet::engine::kParamRepeat].load());
  // Marks made while closed are dropped: the next open reads every value.
  panel.close();
  host.values[quillet::engine::kParamLevel] = 0.7f;
  panel.parameterChanged(quillet::engine::kParamLevel);
  open();
  EXPECT_EQ(shown(quillet::engine::kParamLevel), 0.7f);
}

// What a pedal's host adds (the standalone program), and what plug-in hosts
// keep without it: a right-click on a control is the control's (nothing),
// a click on the name plate opens the menu, T is no key of the panel's.
TEST_F(PanelOverHost, APedalsHostTapsAndLearnsMidiPlugInsKeepTheirPanel) {
  const int plate[2] = {470, 335};
  const int repeat[2] = {290, 90};
  VSTGUI::CKeyCode t;
  t.character = 't';
  open();
  press(repeat[0], repeat[1], kRButton);
  EXPECT_TRUE(panel.getMenu() == nullptr || !panel.getMenu()->isShown());
  EXPECT_FALSE(panel.keyDown(t));
  press(plate[0], plate[1], kLButton);
  ASSERT_TRUE(panel.getMenu() && panel.getMenu()->isShown());
  EXPECT_EQ(panel.getMenu()->shownSections().size(), 2u);
  EXPECT_TRUE(host.calls.empty());
  panel.close();

  host.pedal = true;
  open();
  // T and the name plate tap; the note keys tell which note the echo follows.
  EXPECT_TRUE(panel.keyDown(t));
  press(plate[0], plate[1], kLButton);
  EXPECT_TRUE(panel.getMenu() == nullptr || !panel.getMenu()->isShown());
  press(420, 237, kLButton);  // the quarter note key, normal
  ASSERT_GE(host.calls.size(), 3u);
  EXPECT_EQ(host.calls[0], "tap");
  EXPECT_EQ(host.calls[1], "tap");
  EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "note" + std::to_string(1.0)),
            host.calls.end());
  host.calls.clear();
  // A control's right-click: its MIDI menu, which names what drives it.
  press(repeat[0], repeat[1], kRButton);
  quillet::editor::PanelMenu* menu = panel.getMenu();
  ASSERT_TRUE(menu && menu->isShown());
  ASSERT_EQ(menu->shownSections().size(), 1u);
  EXPECT_EQ(menu->shownSections()[0].title, "Repeat: cc 11");
  const VSTGUI::CRect learn = menu->rowRect(0);
  press(learn.left + 4, learn.top + 4, kLButton);
  EXPECT_FALSE(menu->isShown());
  host.learning = quillet::engine::kParamLevel;
  press(480, 90, kRButton);  // Level: learning, so its "Learn MIDI" has the dot
  ASSERT_TRUE(menu->isShown());
  EXPECT_EQ(menu->shownSections()[0].title, "Level");
  EXPECT_EQ(menu->shownSections()[0].marked, 0);
  const VSTGUI::CRect forget = menu->rowRect(1);
  press(forget.left + 4, forget.top + 4, kLButton);
  // The name plate's right-click: the whole menu, and the tap's MIDI beside it.
  press(plate[0], plate[1], kRButton);
  ASSERT_TRUE(menu->isShown());
  ASSERT_EQ(menu->shownSections().size(), 3u);
  EXPECT_EQ(menu->shownSections()[2].title, "Tap tempo");
  const VSTGUI::CRect learnTap = menu->rowRect(menu->layoutRows() - 2);
  press(learnTap.left + 4, learnTap.top + 4, kLButton);
  const std::vector<std::string> expected = {"learn1", "forget2", "learn1008"};
  EXPECT_EQ(host.calls, expected);
  EXPECT_EQ(shown(quillet::engine::kParamRepeat),
            host.values[quillet::engine::kParamRepeat].load());  // untouched by the right-click
}

}  // namespace
