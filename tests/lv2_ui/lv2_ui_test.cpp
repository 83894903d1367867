// The built quillet_k3_ui.so as an LV2 host sees it: embedded in a window of
// ours on an X display, driven by idle calls and port events, with real
// pointer input from xdotool. Needs a display (run_with_xvfb.sh).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/factory_presets.h"
#include "lv2/lv2_ports.h"
#include "tests/lv2_ui/ui_test_host.h"
#include "tests/support/wait_until.h"

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
}

using namespace quillet::test;

namespace {

constexpr const char* kUiUri = quillet::lv2::kUiUri;
constexpr uint32_t kTempoPort = quillet::lv2::kPortHostTempo;

std::vector<unsigned char> readFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
      bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
  }
  return bytes;
}

class Lv2Ui : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    // A settings folder of the test's own: no choice of the user's applies.
    char pattern[] = "/tmp/quillet-lv2-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    configDir = pattern;
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    openHost(HostOffers{});
  }
  void TearDown() override {
    host.reset();
    if (!configDir.empty()) std::system(("rm -rf '" + configDir + "'").c_str());
  }

  std::vector<HostCall> resizes() {
    std::vector<HostCall> out;
    for (const HostCall& c : host->calls())
      if (c.kind == HostCall::kResize) out.push_back(c);
    return out;
  }

  void openHost(const HostOffers& offers) {
    host.reset();
    std::string error;
    host = UiTestHost::open(QUILLET_UI_PATH, kUiUri, offers, &error);
    ASSERT_TRUE(host) << error;
  }

  // Pixels that differ from the committed VST panel snapshot `name`.
  int pixelsDifferingFrom(const std::string& name, std::string* where) {
    std::vector<unsigned char> shown;
    int w = 0, h = 0;
    if (!host->window().capture(&shown, &w, &h)) return -1;
    const std::vector<unsigned char> png = readFile(std::string(GOLDEN_DIR) + "/" + name + ".png");
    if (png.empty()) return -1;
    int rw = 0, rh = 0, channels = 0;
    unsigned char* reference =
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &rw, &rh, &channels, 3);
    if (!reference || rw != w || rh != h) {
      if (reference) stbi_image_free(reference);
      return -1;
    }
    int differing = 0;
    for (int i = 0; i < w * h; ++i)
      if (std::memcmp(reference + i * 3, shown.data() + i * 3, 3) != 0 && differing++ == 0)
        *where = std::to_string(i % w) + "," + std::to_string(i / w);
    stbi_image_free(reference);
    return differing;
  }

  // The UI draws at its idle calls: on a loaded machine the picture may take
  // a while, so keep idling until it matches. At least one idle comes first,
  // so what was asked of the UI before is drawn.
  void expectPicture(const std::string& name) {
    std::string where;
    int differing = -1;
    host->idleUntil([&] { return (differing = pixelsDifferingFrom(name, &where)) == 0; });
    EXPECT_EQ(differing, 0) << name << ": first difference at " << where;
  }

  // What the window shows now, for waiting until it changes.
  std::vector<unsigned char> picture() {
    std::vector<unsigned char> shown;
    int w = 0, h = 0;
    host->window().capture(&shown, &w, &h);
    return shown;
  }

  // Write and touch calls for `port`, in order, as text: "t+" touch on,
  // "w" a write, "t-" touch off (repeated writes count once).
  std::string gestureOf(uint32_t port) {
    std::string sequence;
    for (const HostCall& c : host->calls()) {
      if (c.port != port || c.kind == HostCall::kResize) continue;
      const std::string step = c.kind == HostCall::kWrite ? "w " : c.grabbed ? "t+ " : "t- ";
      if (step == "w " && sequence.size() >= 2 &&
          sequence.compare(sequence.size() - 2, 2, "w ") == 0)
        continue;
      sequence += step;
    }
    return sequence;
  }

  // The host's window reaches `width` x `height`.
  void expectHostWindow(int width, int height) {
    int w = 0, h = 0;
    host->idleUntil([&] { return host->window().size(&w, &h) && w == width && h == height; });
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
  }

  std::vector<HostCall> writes() {
    std::vector<HostCall> out;
    for (const HostCall& c : host->calls())
      if (c.kind == HostCall::kWrite) out.push_back(c);
    return out;
  }

  // How many touches of `port` have let go: gestures on it that ended.
  size_t touchesEnded(uint32_t port) {
    size_t ended = 0;
    for (const HostCall& c : host->calls())
      ended += c.kind == HostCall::kTouch && c.port == port && !c.grabbed;
    return ended;
  }

  float lastWrite(uint32_t port) {
    float value = std::numeric_limits<float>::quiet_NaN();
    for (const HostCall& c : writes())
      if (c.port == port) value = c.value;
    return value;
  }

  // Every write lies inside a touch gesture of its own port.
  void expectWritesInsideTouch() {
    bool held[32] = {};
    for (const HostCall& c : host->calls()) {
      if (c.kind == HostCall::kTouch && c.port < 32) held[c.port] = c.grabbed;
      if (c.kind == HostCall::kWrite) {
        ASSERT_LT(c.port, 11u);
        EXPECT_TRUE(held[c.port]) << "write to port " << c.port << " outside a touch";
        EXPECT_EQ(c.size, sizeof(float));
        EXPECT_EQ(c.protocol, 0u);
      }
    }
    for (bool h : held) EXPECT_FALSE(h) << "a touch left open";
  }

  // `done` says what the click does, for the test to wait for.
  void click(
      int x, int y, const std::function<bool()>& done = [] { return true; }) {
    std::vector<std::string> args = host->move(x, y);
    args.insert(args.end(), {"click", "1"});
    ASSERT_TRUE(host->drive(args, done)) << "xdotool failed, or the click did not take effect";
  }

  std::unique_ptr<UiTestHost> host;
  std::string configDir;
};

TEST_F(Lv2Ui, ThePanelsMenuLoadsAPresetAsElevenTouchedWrites) {
  // The keyboard's way: Shift+F10 in the panel's window, five rows down
  // from the first preset, Return: "Dub Throw".
  click(20, 200);  // the background: the window has the keyboard, nothing changes
  host->calls().clear();
  ASSERT_TRUE(host->drive({"key", "shift+F10", "key", "Down", "key", "Down", "key", "Down", "key",
                           "Down", "key", "Down", "key", "Return"},
                          [&] { return touchesEnded(10) == 1; }))
      << "xdotool failed or the preset did not load";
  const quillet::core::FactoryPreset& dub = quillet::core::kFactoryPresets[5];
  std::vector<HostCall> w = writes();
  ASSERT_EQ(w.size(), 11u);
  for (uint32_t i = 0; i < 11; ++i) {
    EXPECT_EQ(w[i].port, i);
    EXPECT_EQ(w[i].value, dub.values[i]) << i;
    EXPECT_EQ(gestureOf(i), "t+ w t- ") << i;
  }
  expectWritesInsideTouch();
  // The mouse's way: a right click, then "Slapback", the first preset.
  host->calls().clear();
  std::vector<std::string> args = host->move(20, 200);
  args.insert(args.end(), {"click", "3"});
  const std::vector<unsigned char> before = picture();
  ASSERT_TRUE(host->drive(args, [&] { return picture() != before; }))
      << "xdotool failed or the menu did not show";
  // The menu (346 by 196 pixels) sits as low as the panel lets it: its
  // presets' column from x 170, its rows from y 189 + 28, 18 high.
  click(170 + 60, 189 + 28 + 9, [&] { return touchesEnded(10) == 1; });
  w = writes();
  ASSERT_EQ(w.size(), 11u);
  for (uint32_t i = 0; i < 11; ++i)
    EXPECT_EQ(w[i].value, quillet::core::kFactoryPresets[0].values[i]) << i;
  expectWritesInsideTouch();
}

TEST_F(Lv2Ui, ReportsItsFixedSizeAndAnEmbeddedWindow) {
  ASSERT_FALSE(host->calls().empty());
  const HostCall& first = host->calls().front();
  EXPECT_EQ(first.kind, HostCall::kResize);
  EXPECT_EQ(first.width, 586);
  EXPECT_EQ(first.height, 385);
  EXPECT_NE(host->widget(), nullptr);
  EXPECT_EQ(host->idle(), 0);
  EXPECT_TRUE(writes().empty()) << "opening wrote to a port";
}

TEST_F(Lv2Ui, DrawsTheVstPanelPixelForPixel) {
  expectPicture("panel_default");
  // What is not one float on a control port changes nothing.
  const double wide = 0.9;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  host->portEventRaw(0, sizeof wide, 0, &wide);
  host->portEventRaw(1, sizeof(float), 7, &nan);
  host->portEvent(2, nan);
  host->portEvent(11, 0.7f);
  host->portEvent(99, 0.7f);
  expectPicture("panel_default");
}

TEST_F(Lv2Ui, PortEventsMoveTheControlsAsHostAutomationDoesInTheVstBuild) {
  const float values[] = {0.5f, 0.7f, 0.35f, 1.0f, 1.0f, 0.2f, 0.9f, 0.5f, 1.0f, 0.0f, 0.5f};
  for (uint32_t i = 0; i < 11; ++i) host->portEvent(i, values[i]);
  expectPicture("panel_moved");
  EXPECT_TRUE(writes().empty()) << "a port event was written back";

  // A note key at 120 bpm on top of that: thirty-second, Delay 0.25, Range 0.
  host->portEvent(kTempoPort, 120.0f);
  host->calls().clear();
  click(495 + 15, 237, [&] { return touchesEnded(3) == 1; });
  expectPicture("panel_after_note");
  EXPECT_EQ(lastWrite(0), 0.25f);
  EXPECT_EQ(lastWrite(3), 0.0f);
}

TEST_F(Lv2Ui, ClickOnMuteWritesOneInsideATouch) {
  click(255, 327, [&] { return touchesEnded(4) == 1; });
  EXPECT_EQ(gestureOf(4), "t+ w t- ");
  std::vector<HostCall> w = writes();
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].port, 4u);
  EXPECT_EQ(w[0].value, 1.0f);
  expectWritesInsideTouch();
}

TEST_F(Lv2Ui, DragOnDelayWritesTheDraggedValueInsideATouch) {
  std::vector<std::string> args = host->move(100, 200);
  const std::vector<std::string> start = host->move(100, 90);
  args.insert(args.end(), start.begin(), start.end());
  args.insert(args.end(), {"mousedown", "1"});
  for (int dy : {10, 20, 30, 40}) {
    const std::vector<std::string> step = host->move(100, 90 - dy);
    args.insert(args.end(), step.begin(), step.end());
  }
  args.insert(args.end(), {"mouseup", "1"});
  ASSERT_TRUE(host->drive(args, [&] { return touchesEnded(0) == 1; }))
      << "xdotool failed or the drag did not end";
  // 40 pixels up of 400 for the whole range.
  EXPECT_NEAR(lastWrite(0), 0.1f, 1e-6f);
  EXPECT_EQ(gestureOf(0), "t+ w t- ");
  for (const HostCall& c : writes()) EXPECT_EQ(c.port, 0u);
  expectWritesInsideTouch();
}

TEST_F(Lv2Ui, ArrowKeysStepTheKnobThatWasClickedAndTabMovesOn) {
  click(100, 90);  // Delay takes the focus; a click without a move changes nothing
  EXPECT_TRUE(writes().empty());
  std::vector<std::string> args = {"key", "Up", "key", "shift+Up", "key", "Tab", "key", "Right"};
  ASSERT_TRUE(host->drive(args, [&] { return touchesEnded(1) == 1; }))
      << "xdotool failed or the keys did not reach the knobs";
  EXPECT_NEAR(lastWrite(0), 0.11f, 1e-6f);  // a tenth, then a hundredth with Shift
  EXPECT_NEAR(lastWrite(1), 0.1f, 1e-6f);   // Tab: the next knob, Repeat
  EXPECT_EQ(gestureOf(0), "t+ t- t+ w t- t+ w t- ");
  expectWritesInsideTouch();
}

TEST_F(Lv2Ui, NoteKeySetsDelayAndRangeFromTheHostTempo) {
  host->portEvent(kTempoPort, 120.0f);
  click(405 + 15, 237, [&] { return touchesEnded(3) == 1; });  // quarter note, normal: 500 ms
  EXPECT_EQ(lastWrite(0), 0.84674740f);
  EXPECT_EQ(lastWrite(3), 0.5f);
  for (const HostCall& c : writes()) EXPECT_TRUE(c.port == 0 || c.port == 3) << c.port;
  expectWritesInsideTouch();

  // Dotted (middle lamp), then the whole note at 100 bpm: 3600 ms, capped.
  host->portEvent(kTempoPort, 100.0f);
  click(360 + 75, 270);  // a panel-only switch: nothing written
  click(345 + 15, 237, [&] { return touchesEnded(3) == 2; });
  EXPECT_EQ(lastWrite(0), 1.0f);
  EXPECT_EQ(lastWrite(3), 1.0f);
  expectWritesInsideTouch();
}

TEST_F(Lv2Ui, NoteKeyWithoutTempoWritesNothing) {
  click(405 + 15, 237);  // no tempo reported yet
  host->portEvent(kTempoPort, 0.0f);
  click(405 + 15, 237);
  host->portEvent(kTempoPort, std::numeric_limits<float>::infinity());
  click(405 + 15, 237);
  EXPECT_TRUE(writes().empty());
  // The tempo coming back makes the keys work again.
  host->portEvent(kTempoPort, 120.0f);
  click(405 + 15, 237, [&] { return !writes().empty(); });
  EXPECT_EQ(lastWrite(0), 0.84674740f);
}

TEST_F(Lv2Ui, WorksWithoutTouchOrResize) {
  openHost(HostOffers{true, false, false});
  click(255, 327, [&] { return !writes().empty(); });
  std::vector<HostCall> w = writes();
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].port, 4u);
  EXPECT_EQ(w[0].value, 1.0f);
  for (const HostCall& c : host->calls()) EXPECT_EQ(c.kind, HostCall::kWrite);
}

TEST_F(Lv2Ui, RefusesToOpenWithoutAParentWindow) {
  host.reset();
  std::string error;
  HostOffers offers;
  offers.parent = false;
  EXPECT_FALSE(UiTestHost::open(QUILLET_UI_PATH, kUiUri, offers, &error));
  EXPECT_FALSE(
      UiTestHost::open(QUILLET_UI_PATH, "urn:marrowledge:quillet-k3#other", HostOffers{}, &error));
}

TEST_F(Lv2Ui, ParentWindowDestroyedFirstAsksToCloseAndCleansUp) {
  host->window().destroyWindow();
  int answer = 0;
  quillet::test::stepUntil([&] { answer = host->idle(); }, [&] { return answer != 0; });
  EXPECT_NE(answer, 0);
  EXPECT_NE(host->idle(), 0);
  host->portEvent(0, 0.5f);  // late port events are harmless
  host->cleanup();
  SUCCEED();
}

TEST_F(Lv2Ui, TwoInstancesOpenAndCloseIndependently) {
  std::string error;
  std::unique_ptr<UiTestHost> second =
      UiTestHost::open(QUILLET_UI_PATH, kUiUri, HostOffers{}, &error);
  ASSERT_TRUE(second) << error;
  second->portEvent(0, 0.5f);
  second.reset();
  expectPicture("panel_default");
}

TEST_F(Lv2Ui, OpensAtTheHostsScaleFactorWithTheVstPanelsPictures) {
  for (float factor : {1.5f, 2.0f}) {
    HostOffers offers;
    offers.scaleFactor = factor;
    openHost(offers);
    const std::vector<HostCall> asked = resizes();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].width, factor == 2.0f ? 1172 : 879);
    EXPECT_EQ(asked[0].height, factor == 2.0f ? 770 : 578);
    expectPicture(factor == 2.0f ? "panel_default_200" : "panel_default_150");
  }
}

TEST_F(Lv2Ui, AScaleFactorChangedLaterResizesThePanel) {
  HostOffers offers;
  offers.scaleFactor = 1.0f;  // today's panel, from the host
  openHost(offers);
  expectPicture("panel_default");
  host->calls().clear();
  EXPECT_EQ(host->setScaleFactor(2.0f), 0);  // LV2_OPTIONS_SUCCESS
  host->idleUntil([&] { return !resizes().empty(); });
  const std::vector<HostCall> asked = resizes();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].width, 1172);
  EXPECT_EQ(asked[0].height, 770);
  expectPicture("panel_default_200");
  // Not a factor: refused, nothing changes.
  EXPECT_NE(host->setScaleFactor(-1.0f), 0);
  host->idle();
  EXPECT_EQ(resizes().size(), 1u);
  // Back to 1: a host that shrinks its window by itself ends at the panel's
  // size, not smaller.
  EXPECT_EQ(host->setScaleFactor(1.0f), 0);
  expectHostWindow(586, 385);
  expectPicture("panel_default");
}

TEST_F(Lv2Ui, AHostWindowThatOnlyGrowsShrinksWithThePanel) {
  HostOffers offers;
  offers.scaleFactor = 2.0f;
  offers.shrinks = false;
  openHost(offers);
  expectHostWindow(1172, 770);
  for (float factor : {1.0f, 1.5f, 1.0f}) {
    SCOPED_TRACE(factor);
    EXPECT_EQ(host->setScaleFactor(factor), 0);
    expectHostWindow(factor == 1.0f ? 586 : 879, factor == 1.0f ? 385 : 578);
  }
  expectPicture("panel_default");
  // Once followed, the window is the host's again: a size the user gives it
  // afterwards stays.
  ASSERT_TRUE(host->window().growTo(700, 500));
  host->window().sync();
  host->idle();  // where the UI would take the window back
  expectHostWindow(700, 500);
}

TEST_F(Lv2Ui, AtTwiceTheSizeClicksAndDragsGiveWhatTheyGiveAtOne) {
  HostOffers offers;
  offers.scaleFactor = 2.0f;
  openHost(offers);
  click(510, 654, [&] { return touchesEnded(4) == 1; });  // Mute
  EXPECT_EQ(lastWrite(4), 1.0f);
  // 80 pixels up here are 40 at scale 1: a tenth of the range.
  std::vector<std::string> args = host->move(200, 400);
  const std::vector<std::string> start = host->move(200, 180);
  args.insert(args.end(), start.begin(), start.end());
  args.insert(args.end(), {"mousedown", "1"});
  for (int dy = 10; dy <= 80; dy += 10) {
    const std::vector<std::string> step = host->move(200, 180 - dy);
    args.insert(args.end(), step.begin(), step.end());
  }
  args.insert(args.end(), {"mouseup", "1"});
  ASSERT_TRUE(host->drive(args, [&] { return touchesEnded(0) == 1; }))
      << "xdotool failed or the drag did not end";
  EXPECT_NEAR(lastWrite(0), 0.1f, 1e-6f);
  expectWritesInsideTouch();
}

}  // namespace
