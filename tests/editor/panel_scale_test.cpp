// The panel at other sizes, as any format hosts it: where the factor comes
// from and in which order, the controls answering the same movement of the
// hand at every scale, the size menu and the settings file it writes, and
// the host's say over a new size. Headless window, a recording host, and a
// settings folder of the test's own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/panel_host.h"
#include "core/param_table.h"
#include "editor/panel_layout.h"
#include "editor/quillet_panel.h"
#include "editor/scale/scaled_layout.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "platform/headless_window.h"

namespace {

using quillet::editor::QuilletPanel;
using quillet::editor::ScaleSource;
using quillet::platform::HeadlessWindow;
using quillet::platform::MouseState;
using VSTGUI::kLButton;

struct ResizingHost : quillet::core::PanelHost {
  ResizingHost() {
    for (int i = 0; i < quillet::core::kNumQuilletParams; ++i)
      values[i] = quillet::core::kQuilletParams[i].defaultValue;
  }
  float parameterValue(int32_t index) override {
    return index >= 0 && index < quillet::core::kNumQuilletParams ? values[index] : 0.0f;
  }
  void beginGesture(int32_t tag) override { calls.push_back("b" + std::to_string(tag)); }
  void endGesture(int32_t tag) override { calls.push_back("e" + std::to_string(tag)); }
  void performEdit(int32_t index, float value) override {
    calls.push_back("p" + std::to_string(index));
    values[index] = value;
  }
  double hostTempo() override { return 120.0; }
  bool requestResize(int32_t width, int32_t height) override {
    resizes.push_back(std::to_string(width) + "x" + std::to_string(height));
    if (panel)
      sizeDuringRequest = std::to_string(panel->width()) + "x" + std::to_string(panel->height());
    return accept;
  }

  float values[quillet::core::kNumQuilletParams];
  std::vector<std::string> calls, resizes;
  bool accept = true;
  quillet::editor::QuilletPanel* panel = nullptr;
  std::string sizeDuringRequest;
};

class PanelScale : public ::testing::Test {
 protected:
  void SetUp() override {
    quillet::platform::setPlatformWindowFactory(&HeadlessWindow::create);
    char pattern[] = "/tmp/quillet-scale-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    configDir = pattern;
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    unsetenv("QUILLET_UI_SCALE");
    unsetenv("GDK_SCALE");
    // No desktop factor: no X display (Xft.dpi) either.
    if (const char* display = std::getenv("DISPLAY")) savedDisplay = display;
    unsetenv("DISPLAY");
  }
  void TearDown() override {
    quillet::platform::setPlatformWindowFactory(nullptr);
    std::system(("rm -rf '" + configDir + "'").c_str());
    unsetenv("QUILLET_UI_SCALE");
    unsetenv("GDK_SCALE");
    if (!savedDisplay.empty()) setenv("DISPLAY", savedDisplay.c_str(), 1);
  }

  std::string settingsPath() const { return configDir + "/quillet-k3/settings"; }
  std::string settingsText() const {
    std::ifstream in(settingsPath(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void writeSettings(const std::string& text) {
    std::system(("mkdir -p '" + configDir + "/quillet-k3'").c_str());
    std::ofstream(settingsPath(), std::ios::binary) << text;
  }

  void open(quillet::editor::QuilletPanel& panel) {
    ASSERT_TRUE(panel.open(&parentWindow));
    panel.idle();  // the first paint
    host.calls.clear();
    host.resizes.clear();
  }
  void press(quillet::editor::QuilletPanel& panel, int x, int y, int32_t buttons,
             const std::vector<MouseState>& moves = {}) {
    HeadlessWindow::latest()->scriptMouse(moves);
    HeadlessWindow::latest()->queueMouseDown(quillet::platform::Point(x, y), buttons);
    panel.idle();
  }
  // A drag straight up by `pixels` from (x, y), one pixel per poll.
  void dragUp(quillet::editor::QuilletPanel& panel, int x, int y, int pixels,
              int32_t buttons = kLButton) {
    std::vector<MouseState> moves;
    for (int i = 1; i <= pixels; ++i) moves.push_back({{x, y - i}, buttons});
    press(panel, x, y, buttons, moves);
  }
  // The middle of a place of the panel at `scale`.
  static quillet::platform::Point middle(const quillet::editor::Place& place, float scale) {
    const quillet::editor::Place p = quillet::editor::scaledPlace(place, scale);
    return quillet::platform::Point(p.left + p.width / 2, p.top + p.height / 2);
  }

  ResizingHost host;
  std::string configDir, savedDisplay;
  int parentWindow = 0;
};

TEST_F(PanelScale, SourcesAnswerInTheirOrder) {
  {
    quillet::editor::QuilletPanel panel(host);  // nothing says anything: today's panel
    EXPECT_EQ(panel.scale(), 1.0f);
    EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kNone);
    EXPECT_EQ(panel.width(), 586);
    EXPECT_EQ(panel.height(), 385);
  }
  {
    setenv("GDK_SCALE", "2", 1);  // the desktop
    quillet::editor::QuilletPanel panel(host);
    EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kDesktop);
    EXPECT_EQ(panel.width(), 1172);
    EXPECT_EQ(panel.height(), 770);
    panel.setHostScale(1.5f);  // the host beats the desktop, also before open
    EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kHost);
    EXPECT_EQ(panel.width(), 879);
    EXPECT_EQ(panel.height(), 578);
    panel.setHostScale(1.4f);  // a host's 140 % gives the nearest step
    EXPECT_EQ(panel.scale(), 1.5f);
    panel.setHostScale(0.0f);  // no answer any more: the desktop again
    EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kDesktop);
    panel.setHostScale(2.5f);
    EXPECT_TRUE(panel.setUserScale(1.25f));  // the user beats the host
    EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kUser);
    EXPECT_EQ(panel.width(), 733);
    EXPECT_EQ(panel.height(), 481);
    setenv("QUILLET_UI_SCALE", "3", 1);  // the environment beats everything
    panel.setHostScale(2.5f);            // (a source changed: asked again)
    EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kEnvironment);
    EXPECT_EQ(panel.width(), 1758);
    EXPECT_EQ(panel.height(), 1155);
  }
  {
    setenv("QUILLET_UI_SCALE", "huge", 1);  // a slip is ignored, not guessed at
    quillet::editor::QuilletPanel panel(host);
    EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kUser);  // the file from above
    EXPECT_EQ(panel.scale(), 1.25f);
  }
}

TEST_F(PanelScale, OpensAtTheScaleItAnnouncedWithEveryControlScaled) {
  quillet::editor::QuilletPanel panel(host);
  panel.setHostScale(2.0f);
  ASSERT_EQ(panel.width(), 1172);
  open(panel);
  EXPECT_EQ(HeadlessWindow::latest()->getWidth(), 1172);
  EXPECT_EQ(HeadlessWindow::latest()->getHeight(), 770);
  EXPECT_TRUE(host.resizes.empty()) << "the size announced is the size opened";
  const VSTGUI::CRect delay = panel.controlForTag(quillet::engine::kParamDelay)->getViewSize();
  EXPECT_EQ(delay, VSTGUI::CRect::fromSize(100, 80, 200, 200));
  // The six note keys touch each other as at scale 1.
  for (int32_t tag = quillet::core::kTagWholeNote; tag < quillet::core::kTagThirtySecondNote; ++tag)
    EXPECT_EQ(panel.controlForTag(tag)->getViewSize().right,
              panel.controlForTag(tag + 1)->getViewSize().left);
  // Every pixel of the window was painted from the drawn pictures.
  EXPECT_NE(HeadlessWindow::latest()->pixel(1171, 769), 0u);
}

TEST_F(PanelScale, TheSameMovementOfTheHandGivesTheSameValues) {
  for (float scale : {1.0f, 1.5f, 2.0f, 3.0f}) {
    SCOPED_TRACE(scale);
    for (int i = 0; i < quillet::core::kNumQuilletParams; ++i)
      host.values[i] = quillet::core::kQuilletParams[i].defaultValue;
    quillet::editor::QuilletPanel panel(host);
    panel.setHostScale(scale);
    open(panel);
    const int s = static_cast<int>(scale * 2);  // twice the factor, a whole number
    // A drag of 40 panel pixels: a tenth of the range, plain and with Shift.
    const quillet::platform::Point delay = middle(quillet::editor::kDelayKnob, scale);
    host.values[quillet::engine::kParamDelay] = 0.0f;
    panel.parameterChanged(quillet::engine::kParamDelay);
    panel.idle();
    dragUp(panel, delay.x, delay.y, 40 * s / 2);
    EXPECT_NEAR(panel.controlForTag(quillet::engine::kParamDelay)->getValue(), 0.1f, 1e-5f);
    // The host hears of a step once the indicator has moved a pixel since it
    // was last drawn, and idle passes draw at the clock's pace: its value may
    // trail the knob's by the last pixel of the drag.
    EXPECT_NEAR(host.values[quillet::engine::kParamDelay], 0.1f, 1.0f / (400.0f * scale) + 1e-5f);
    dragUp(panel, delay.x, delay.y, 60 * s / 2, kLButton | VSTGUI::kShift);
    // (The host hears of a step once it moves the indicator by a pixel.)
    EXPECT_NEAR(panel.controlForTag(quillet::engine::kParamDelay)->getValue(), 0.2f, 1e-5f);
    // A wheel notch is the knob's step; Shift a tenth of it.
    const quillet::platform::Point level = middle(quillet::editor::kLevelKnob, scale);
    HeadlessWindow::latest()->queueWheel(level, 1.0f, 0);
    HeadlessWindow::latest()->queueWheel(level, 1.0f, VSTGUI::kShift);
    panel.idle();
    EXPECT_NEAR(host.values[quillet::engine::kParamLevel], 0.11f, 1e-6f);
    // The right third of the Range selector; Ctrl-click on Dry restores 1.
    const quillet::editor::Place range =
        quillet::editor::scaledPlace(quillet::editor::kRangeSwitch, scale);
    press(panel, range.left + range.width - 2, range.top + range.height / 2, kLButton);
    EXPECT_EQ(host.values[quillet::engine::kParamRange], 1.0f);
    host.values[quillet::engine::kParamDry] = 0.3f;
    panel.parameterChanged(quillet::engine::kParamDry);
    panel.idle();
    const quillet::platform::Point dry = middle(quillet::editor::kDryKnob, scale);
    press(panel, dry.x, dry.y, kLButton | VSTGUI::kControl);
    EXPECT_EQ(host.values[quillet::engine::kParamDry], 1.0f);
    // The arrow keys go to the knob last used, a wheel step each.
    VSTGUI::CKeyCode up;
    up.virt = VSTGUI::VKEY_UP;
    EXPECT_TRUE(panel.keyDown(up));
    // Dry is at its top already: nothing to change, but the key is taken.
    const quillet::platform::Point pan = middle(quillet::editor::kPanKnob, scale);
    press(panel, pan.x, pan.y, kLButton);
    EXPECT_TRUE(panel.keyDown(up));
    EXPECT_NEAR(host.values[quillet::engine::kParamPan], 0.6f, 1e-6f);
    // A note key: a quarter at 120 bpm.
    quillet::editor::Place key = quillet::editor::kFirstNoteKey;
    key.left += 2 * key.width;
    const quillet::platform::Point quarter = middle(key, scale);
    press(panel, quarter.x, quarter.y, kLButton);
    EXPECT_EQ(host.values[quillet::engine::kParamDelay], 0.84674740f);
    EXPECT_EQ(host.values[quillet::engine::kParamRange], 0.5f);
  }
}

TEST_F(PanelScale, AValueShowsTheSameKnobFrameAtEveryScale) {
  for (float scale : {1.25f, 1.5f, 1.75f, 2.0f, 2.5f, 3.0f}) {
    for (auto [frames, place] :
         {std::pair{quillet::editor::kLargeKnobFrames, quillet::editor::kDelayKnob},
          std::pair{quillet::editor::kSmallKnobFrames, quillet::editor::kPanKnob}}) {
      VSTGUI::CAnimKnob one(VSTGUI::CRect(0, 0, place.width, place.height), nullptr, 0, frames,
                            place.height, nullptr);
      const int32_t high = quillet::editor::scaledLength(place.height, scale);
      VSTGUI::CAnimKnob scaled(VSTGUI::CRect(0, 0, high, high), nullptr, 0, frames, high, nullptr);
      scaled.setFrameIndexHeight(place.height);
      for (int i = 0; i <= 10000; ++i) {
        one.setValue(i / 10000.0f);
        scaled.setValue(i / 10000.0f);
        ASSERT_EQ(scaled.getFrameIndex(), one.getFrameIndex()) << scale << " " << i;
      }
    }
  }
}

TEST_F(PanelScale, TheMenuOnTheBackgroundPicksASizeTheHostFollows) {
  quillet::editor::QuilletPanel panel(host);
  host.panel = &panel;
  open(panel);
  // A left click on the background does nothing; a right click opens the menu.
  press(panel, 20, 200, kLButton);
  EXPECT_EQ(panel.getMenu(), nullptr);
  press(panel, 20, 200, VSTGUI::kRButton);
  quillet::editor::PanelMenu* menu = panel.getMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(menu->isShown());
  EXPECT_EQ(menu->box().left, 20);
  EXPECT_EQ(panel.scaleMenuRows().back(), "Automatic (100 %)");
  EXPECT_EQ(panel.markedScaleMenuRow(), 7);
  // A press outside it closes it and reaches no control.
  const quillet::platform::Point level = middle(quillet::editor::kLevelKnob, 1.0f);
  press(panel, level.x, level.y, kLButton);
  EXPECT_FALSE(menu->isShown());
  EXPECT_TRUE(host.calls.empty());
  // The name plate opens it too; the menu is kept inside the panel.
  press(panel, 560, 360, kLButton);
  ASSERT_TRUE(menu->isShown());
  EXPECT_LE(menu->box().right, 586);
  EXPECT_LE(menu->box().bottom, 385);
  // Picking "200 %": saved, the host asked, the panel redrawn at 2.
  const VSTGUI::CRect row = menu->rowRect(4);
  press(panel, row.left + 5, row.top + 5, kLButton);
  EXPECT_EQ(panel.getMenu(), nullptr);  // gone with the controls of the old size
  EXPECT_NE(settingsText().find("ui-scale = 2.00\n"), std::string::npos) << settingsText();
  EXPECT_EQ(host.resizes, std::vector<std::string>{"1172x770"});
  EXPECT_EQ(host.sizeDuringRequest, "1172x770");
  EXPECT_EQ(panel.width(), 1172);
  EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kUser);
  EXPECT_EQ(HeadlessWindow::latest()->getWidth(), 1172);
  EXPECT_EQ(panel.controlForTag(quillet::engine::kParamDelay)->getViewSize().width(), 200);
  EXPECT_TRUE(host.calls.empty());
  // The choice survives closing and another panel's opening.
  panel.close();
  QuilletPanel again(host);
  EXPECT_EQ(again.width(), 1172);
  open(again);
  press(again, 20, 200, VSTGUI::kRButton);
  EXPECT_EQ(again.markedScaleMenuRow(), 4);
  // Escape closes the menu; "Automatic" goes back to the host and desktop.
  VSTGUI::CKeyCode escape;
  escape.virt = VSTGUI::VKEY_ESCAPE;
  EXPECT_TRUE(again.keyDown(escape));
  EXPECT_FALSE(again.getMenu()->isShown());
  press(again, 20, 200, VSTGUI::kRButton);
  const VSTGUI::CRect automatic = again.getMenu()->rowRect(7);
  press(again, automatic.left + 5, automatic.top + 5, kLButton);
  EXPECT_NE(settingsText().find("ui-scale = auto\n"), std::string::npos);
  EXPECT_EQ(again.width(), 586);
  EXPECT_EQ(again.controlForTag(quillet::engine::kParamDelay)->getViewSize(),
            VSTGUI::CRect(50, 40, 150, 140));
}

TEST_F(PanelScale, AHostThatRefusesKeepsThePanelAndTheChoiceWaitsForTheNextOpen) {
  host.accept = false;
  quillet::editor::QuilletPanel panel(host);
  open(panel);
  EXPECT_TRUE(panel.setUserScale(1.5f));
  EXPECT_EQ(host.resizes, std::vector<std::string>{"879x578"});
  EXPECT_EQ(panel.width(), 586);
  EXPECT_EQ(HeadlessWindow::latest()->getWidth(), 586);
  panel.setHostScale(2.0f);  // the user's choice still beats it: asked for again
  EXPECT_EQ(host.resizes, (std::vector<std::string>{"879x578", "879x578"}));
  panel.close();
  EXPECT_EQ(panel.width(), 879);
  open(panel);
  EXPECT_EQ(HeadlessWindow::latest()->getWidth(), 879);
  // A host factor that changes while open is asked for the same way.
  host.accept = true;
  EXPECT_TRUE(panel.setUserScale(std::nullopt));
  EXPECT_EQ(panel.width(), 1172);
  panel.setHostScale(2.5f);
  EXPECT_EQ(panel.width(), 1465);
  EXPECT_EQ(HeadlessWindow::latest()->getWidth(), 1465);
}

TEST_F(PanelScale, TheMenusDotMarksThePanelsOwnSizeNotAChoiceItCouldNotTake) {
  host.accept = false;
  quillet::editor::QuilletPanel panel(host);
  open(panel);
  // The host refuses 150 %: the panel stays at 100 %, following the host
  // and the desktop, and the dot says so.
  EXPECT_TRUE(panel.setUserScale(1.5f));
  EXPECT_EQ(panel.width(), 586);
  EXPECT_EQ(panel.markedScaleMenuRow(), 7);
  // Once it takes it, the dot is on 150 %.
  host.accept = true;
  panel.close();
  open(panel);
  EXPECT_EQ(panel.width(), 879);
  EXPECT_EQ(panel.markedScaleMenuRow(), 2);
  // The host's factor at 200 %, the user's choice back to automatic: the
  // dot on "Automatic (200 %)"; the user then picks the very size the host
  // gives, and the panel's size is the user's.
  panel.setHostScale(2.0f);
  EXPECT_TRUE(panel.setUserScale(std::nullopt));
  EXPECT_EQ(panel.width(), 1172);
  EXPECT_EQ(panel.markedScaleMenuRow(), 7);
  EXPECT_TRUE(panel.setUserScale(2.0f));
  EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kUser);
  EXPECT_EQ(panel.markedScaleMenuRow(), 4);
  // QUILLET_UI_SCALE rules the size: its step is marked.
  panel.close();
  setenv("QUILLET_UI_SCALE", "2.5", 1);
  QuilletPanel forced(host);
  open(forced);
  EXPECT_EQ(forced.markedScaleMenuRow(), 5);
}

TEST_F(PanelScale, TheMenuIsDrawnAtThePanelsScale) {
  for (float scale : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 2.5f, 3.0f}) {
    quillet::editor::QuilletPanel panel(host);
    EXPECT_TRUE(panel.setUserScale(scale));
    open(panel);
    ASSERT_EQ(panel.scale(), scale);
    press(panel, static_cast<int>(20 * scale), static_cast<int>(200 * scale), VSTGUI::kRButton);
    quillet::editor::PanelMenu* menu = panel.getMenu();
    ASSERT_TRUE(menu && menu->isShown()) << scale;
    // Every length drawn anew at the scale, not the picture at 1 blown up.
    EXPECT_EQ(menu->box().width(),
              quillet::editor::scaledLength(150, scale) + quillet::editor::scaledLength(196, scale))
        << scale;
    EXPECT_EQ(menu->rowRect(0).height(), quillet::editor::scaledLength(18, scale)) << scale;
    EXPECT_LE(menu->box().bottom, panel.height());
    EXPECT_LE(menu->box().right, panel.width());
    // A preset picked at this scale: eleven gestures, as at 1.
    const VSTGUI::CRect dub = menu->rowRect(8 + 5);
    host.calls.clear();
    press(panel, dub.left + dub.width() / 2, dub.top + dub.height() / 2, kLButton);
    EXPECT_EQ(host.calls.size(), 33u) << scale;
    EXPECT_EQ(host.values[quillet::engine::kParamDelay], 0.5031f);
    panel.close();
  }
}

TEST_F(PanelScale, DamagedOrHostileSettingsGiveTheDefaults) {
  for (const std::string& text : {std::string("ui-scale = 9\n"), std::string("ui-scale = 1e0\n"),
                                  std::string("ui-scale = 2"),  // cut short
                                  std::string("ui-\0scale = 2\n", 15), std::string(100000, 'x'),
                                  std::string("\xff\xfe u\0i-scale = 2.5\n", 20)}) {
    writeSettings(text);
    quillet::editor::QuilletPanel panel(host);
    EXPECT_EQ(panel.width(), 586) << text.substr(0, 20);
    EXPECT_EQ(panel.scaleSource(), quillet::editor::ScaleSource::kNone);
  }
  // A folder where the file should be, and a file where the folder should be.
  std::remove(settingsPath().c_str());
  std::system(("mkdir -p '" + settingsPath() + "'").c_str());
  {
    quillet::editor::QuilletPanel panel(host);
    EXPECT_EQ(panel.width(), 586);
    open(panel);
    EXPECT_FALSE(panel.setUserScale(2.0f));  // cannot be saved, holds for this panel
    EXPECT_EQ(panel.width(), 1172);
  }
  setenv("XDG_CONFIG_HOME", (settingsPath() + "/not-a-folder-either").c_str(), 1);
  quillet::editor::QuilletPanel panel(host);
  EXPECT_EQ(panel.width(), 586);
}

}  // namespace
