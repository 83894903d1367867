// The built QTAPG_x64.so in a real X11 window: the editor opened through the
// plug-in record inside a host window, real pointer input from xdotool, and
// the host's view of the gestures. Needs a display (run_with_xvfb.sh).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/plugin/vst2/plugin_host.h"
#include "host/window/x11_host_window.h"
#include "tests/support/wait_until.h"

extern char** environ;

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
}

using namespace quillet::host;

namespace {

// Starts xdotool with `args`; the caller keeps idling the editor meanwhile.
pid_t startXdotool(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  static std::string program = "xdotool";
  argv.push_back(program.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) return 0;
  return pid;
}

class X11EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    // A settings folder of the test's own: no choice of the user's applies.
    char pattern[] = "/tmp/quillet-x11-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    configDir = pattern;
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    std::string error;
    library = PluginLibrary::load(QTAPG_PATH, &error);
    ASSERT_TRUE(library) << error;
    openEditor();
  }
  void openEditor() {
    std::string error;
    plugin = PluginInstance::create(*library, &error);
    ASSERT_TRUE(plugin) << error;
    if (hostScale > 0) {
      char query[] = "supportsViewDpiScaling";
      ASSERT_EQ(plugin->dispatch(effCanDo, 0, 0, query), 1);
      // The host's content scale factor: 'PreS', 'AeCs', the factor in opt.
      ASSERT_EQ(plugin->dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, hostScale), 1);
    }
    ERect* rect = nullptr;
    ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    window = X11HostWindow::create(rect->right, rect->bottom, "editor end-to-end", &error);
    ASSERT_TRUE(window) << error;
    X11HostWindow* shown = window.get();
    plugin->host().setSizeWindowHandler([shown](int w, int h) { return shown->resize(w, h); });
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, window->parentHandle()), 1);
    ASSERT_TRUE(idleUntil([&] { return panelDrawn(rect->right, rect->bottom); }))
        << "the panel did not draw";
    ASSERT_TRUE(window->origin(&originX, &originY));
    plugin->host().clear();
  }
  void TearDown() override {
    if (plugin) plugin->dispatch(effEditClose);
    plugin.reset();
    window.reset();
    library.reset();
    if (!configDir.empty()) std::system(("rm -rf '" + configDir + "'").c_str());
  }

  // Pixels of the window that differ from the golden picture `name`; -1
  // when the sizes differ or a picture cannot be had.
  int pixelsDifferingFrom(const std::string& name) {
    std::vector<unsigned char> shown;
    int w = 0, h = 0;
    if (!window->capture(&shown, &w, &h)) return -1;
    std::vector<unsigned char> png;
    if (FILE* file = std::fopen((std::string(GOLDEN_DIR) + "/" + name).c_str(), "rb")) {
      unsigned char buffer[65536];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        png.insert(png.end(), buffer, buffer + n);
      std::fclose(file);
    }
    if (png.empty()) return -1;
    int rw = 0, rh = 0, channels = 0;
    unsigned char* reference =
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &rw, &rh, &channels, 3);
    if (!reference) return -1;
    int differing = -1;
    if (rw == w && rh == h) {
      differing = 0;
      for (size_t i = 0; i < shown.size(); i += 3)
        if (std::memcmp(&shown[i], reference + i, 3) != 0) ++differing;
    }
    stbi_image_free(reference);
    return differing;
  }

  // Whether the window shows a panel of `width` x `height` drawn whole: the
  // panel's pictures have no black pixel, the host window is black.
  bool panelDrawn(int width, int height) {
    std::vector<unsigned char> shown;
    int w = 0, h = 0;
    if (!window->capture(&shown, &w, &h) || w < width || h < height) return false;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned char* p = &shown[(static_cast<size_t>(y) * w + x) * 3];
        if (p[0] == 0 && p[1] == 0 && p[2] == 0) return false;
      }
    return true;
  }

  bool panelShows(const std::string& name) { return pixelsDifferingFrom(name) == 0; }

  void idle() {
    plugin->dispatch(effEditIdle);
    window->pump();
  }
  // Idles the editor as a host does until `done` holds; false if it does not
  // within the generous limit.
  bool idleUntil(const std::function<bool()>& done) {
    return quillet::test::stepUntil([this] { idle(); }, done);
  }

  // Runs xdotool while idling the editor as a host does, until it is done;
  // then idles until the editor has handled all of the input (a round trip
  // to the server hands it over, one idle reads it) and `done` holds.
  void drive(
      const std::vector<std::string>& args,
      const std::function<bool()>& done = [] { return true; }) {
    const pid_t pid = startXdotool(args);
    ASSERT_NE(pid, 0) << "xdotool not found";
    int status = 0;
    ASSERT_TRUE(idleUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }))
        << "xdotool did not finish";
    window->sync();
    EXPECT_TRUE(idleUntil(done)) << "the editor did not show what the input should do";
  }

  // The gesture on `index` has ended (the host saw its end-edit request).
  bool gestureEnded(VstInt32 index) {
    const std::vector<VstInt32> sequence = gestureOf(index);
    return !sequence.empty() && sequence.back() == audioMasterEndEdit;
  }

  std::string at(int x, int y) {
    return std::to_string(originX + x) + " " + std::to_string(originY + y);
  }
  std::vector<std::string> move(int x, int y) {
    return {"mousemove", "--sync", std::to_string(originX + x), std::to_string(originY + y)};
  }

  // The begin-edit, automate and end-edit requests for one index, in order.
  std::vector<VstInt32> gestureOf(VstInt32 index) {
    std::vector<VstInt32> sequence;
    for (const HostRequest& r : plugin->host().requests())
      if (r.index == index && (r.opcode == audioMasterBeginEdit ||
                               r.opcode == audioMasterAutomate || r.opcode == audioMasterEndEdit))
        if (sequence.empty() || sequence.back() != r.opcode || r.opcode != audioMasterAutomate)
          sequence.push_back(r.opcode);
    return sequence;
  }

  float parameter(VstInt32 index) {
    return plugin->effect()->getParameter(plugin->effect(), index);
  }

  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> plugin;
  std::unique_ptr<X11HostWindow> window;
  int originX = 0, originY = 0;
  float hostScale = 0.0f;  // none
  std::string configDir;
};

TEST_F(X11EndToEnd, ClickOnMuteKeyTogglesMuteAsOneGesture) {
  std::vector<std::string> args = move(255, 327);
  args.insert(args.end(), {"click", "1"});
  drive(args, [&] { return gestureEnded(4); });
  EXPECT_EQ(parameter(4), 1.0f);
  const std::vector<VstInt32> expected = {audioMasterBeginEdit, audioMasterAutomate,
                                          audioMasterEndEdit};
  EXPECT_EQ(gestureOf(4), expected);
}

TEST_F(X11EndToEnd, DragUpOnDelayKnobRaisesDelay) {
  std::vector<std::string> args = move(100, 200);
  args.insert(args.end(), {"mousemove", "--sync"});
  args.push_back(std::to_string(originX + 100));
  args.push_back(std::to_string(originY + 90));
  args.insert(args.end(), {"mousedown", "1"});
  for (int dy : {10, 20, 30, 40}) {
    const auto step = move(100, 90 - dy);
    args.insert(args.end(), step.begin(), step.end());
  }
  args.insert(args.end(), {"mouseup", "1"});
  drive(args, [&] { return gestureEnded(0); });
  // 40 pixels up of 400 for the whole range.
  EXPECT_NEAR(parameter(0), 0.1f, 1e-6f);
  const std::vector<VstInt32> expected = {audioMasterBeginEdit, audioMasterAutomate,
                                          audioMasterEndEdit};
  EXPECT_EQ(gestureOf(0), expected);
}

TEST_F(X11EndToEnd, CtrlClickRestoresDefaultAndRightClickChangesNothing) {
  plugin->effect()->setParameter(plugin->effect(), 5, 0.3f);  // Dry, default 1
  idle();                                                     // the knob follows at the next idle
  std::vector<std::string> args = move(395, 140);
  args.insert(args.end(), {"click", "3", "keydown", "ctrl", "click", "1", "keyup", "ctrl"});
  drive(args, [&] { return gestureEnded(5); });
  EXPECT_EQ(parameter(5), 1.0f);
  const std::vector<VstInt32> expected = {audioMasterBeginEdit, audioMasterAutomate,
                                          audioMasterEndEdit};
  EXPECT_EQ(gestureOf(5), expected);  // one gesture: the right click sent nothing
}

TEST_F(X11EndToEnd, WheelOverKnobStepsIt) {
  std::vector<std::string> args = move(480, 90);
  args.insert(args.end(), {"click", "4"});
  drive(args, [&] { return parameter(2) != 0.0f; });
  EXPECT_NEAR(parameter(2), 0.1f, 1e-6f);
}

TEST_F(X11EndToEnd, WindowShowsTheSamePixelsAsTheHeadlessReference) {
  std::vector<unsigned char> shown;
  int w = 0, h = 0;
  ASSERT_TRUE(window->capture(&shown, &w, &h));
  std::vector<unsigned char> png;
  if (FILE* file = std::fopen(GOLDEN_DIR "/panel_default.png", "rb")) {
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
      png.insert(png.end(), buffer, buffer + n);
    std::fclose(file);
  }
  ASSERT_FALSE(png.empty());
  int rw = 0, rh = 0, channels = 0;
  unsigned char* reference =
      stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &rw, &rh, &channels, 3);
  ASSERT_NE(reference, nullptr);
  ASSERT_EQ(rw, w);
  ASSERT_EQ(rh, h);
  const bool same = std::equal(shown.begin(), shown.end(), reference);
  stbi_image_free(reference);
  EXPECT_TRUE(same);
}

TEST_F(X11EndToEnd, HostDestroyingItsWindowFirstDoesNotEndTheProcess) {
  window->destroyWindow();
  for (int i = 0; i < 5; ++i) plugin->dispatch(effEditIdle);
  plugin->dispatch(effEditClose);
  plugin->dispatch(effEditClose);
  SUCCEED();
}

// The same panel with the host's factor 2, given the VST 2.4 way.
class X11AtTwo : public X11EndToEnd {
 protected:
  X11AtTwo() { hostScale = 2.0f; }
  std::vector<std::string> dragUp(int x, int y, int pixels) {
    std::vector<std::string> args = move(x, y + 10);
    const auto start = move(x, y);
    args.insert(args.end(), start.begin(), start.end());
    args.insert(args.end(), {"mousedown", "1"});
    for (int dy = 10; dy <= pixels; dy += 10) {
      const auto step = move(x, y - dy);
      args.insert(args.end(), step.begin(), step.end());
    }
    args.insert(args.end(), {"mouseup", "1"});
    return args;
  }
};

TEST_F(X11AtTwo, OpensAtTwiceTheSizeWithTheGoldenPicture) {
  ERect* rect = nullptr;
  ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 1172);
  EXPECT_EQ(rect->bottom, 770);
  int differing = -1;
  idleUntil([&] { return (differing = pixelsDifferingFrom("panel_default_200.png")) == 0; });
  EXPECT_EQ(differing, 0);
}

TEST_F(X11AtTwo, ClicksAndDragsLandOnTheSameControlsWithTheSameValues) {
  // Mute (the middle of its key at 1: 255, 327).
  std::vector<std::string> click = move(510, 654);
  click.insert(click.end(), {"click", "1"});
  drive(click, [&] { return gestureEnded(4); });
  EXPECT_EQ(parameter(4), 1.0f);
  // 80 pixels up on Delay here are 40 at scale 1: a tenth of the range.
  drive(dragUp(200, 180, 80), [&] { return gestureEnded(0); });
  EXPECT_NEAR(parameter(0), 0.1f, 1e-6f);
  const std::vector<VstInt32> expected = {audioMasterBeginEdit, audioMasterAutomate,
                                          audioMasterEndEdit};
  EXPECT_EQ(gestureOf(0), expected);
  // The arrow key goes to the knob just dragged, one wheel step.
  VstIntPtr up = VKEY_UP;
  EXPECT_EQ(plugin->dispatch(effEditKeyDown, 0, up, nullptr, 0.0f), 1);
  EXPECT_NEAR(parameter(0), 0.2f, 1e-6f);
  // A wheel notch over Level; Ctrl-click on Dry restores its default.
  std::vector<std::string> wheel = move(960, 180);
  wheel.insert(wheel.end(), {"click", "4"});
  drive(wheel, [&] { return parameter(2) != 0.0f; });
  EXPECT_NEAR(parameter(2), 0.1f, 1e-6f);
  plugin->effect()->setParameter(plugin->effect(), 5, 0.3f);
  idle();
  std::vector<std::string> ctrl = move(790, 280);
  ctrl.insert(ctrl.end(), {"keydown", "ctrl", "click", "1", "keyup", "ctrl"});
  drive(ctrl, [&] { return gestureEnded(5); });
  EXPECT_EQ(parameter(5), 1.0f);
  // The quarter-note key (the third, 30 wide from 345 at scale 1) at 120 bpm.
  plugin->host().setTempo(120.0);
  const float delayBefore = parameter(0);
  std::vector<std::string> note = move(840, 474);
  note.insert(note.end(), {"click", "1"});
  drive(note, [&] { return parameter(0) != delayBefore; });
  EXPECT_NEAR(parameter(0), 0.84674740f, 1e-6f);
  EXPECT_EQ(parameter(3), 0.5f);
}

TEST_F(X11EndToEnd, SizeMenuPicksASizeTheHostWindowFollowsAndReopeningKeeps) {
  // A right-click on the background opens the menu; its fourth choice is
  // 175 %, its second 125 %: rows 18 pixels high from 28 below its top.
  std::vector<std::string> open = move(20, 150);
  open.insert(open.end(), {"click", "3"});
  drive(open, [&] { return !panelShows("panel_default.png"); });  // the menu over it
  std::vector<std::string> pick = move(50, 150 + 28 + 1 * 18 + 9);
  pick.insert(pick.end(), {"click", "1"});
  drive(pick,
        [&] { return plugin->host().count(audioMasterSizeWindow) > 0 && panelDrawn(733, 481); });
  EXPECT_EQ(plugin->host().count(audioMasterSizeWindow), 1u);
  ERect* rect = nullptr;
  ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 733);
  EXPECT_EQ(rect->bottom, 481);
  std::vector<unsigned char> shown;
  int w = 0, h = 0;
  ASSERT_TRUE(window->capture(&shown, &w, &h));
  EXPECT_EQ(w, 733);
  // Closed and opened again (another instance, too): the same size.
  plugin->dispatch(effEditClose);
  plugin.reset();
  window.reset();
  openEditor();
  ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 733);
  // A Mute click lands on the key at its new place (255, 327 times 1.25).
  std::vector<std::string> click = move(319, 409);
  click.insert(click.end(), {"click", "1"});
  drive(click, [&] { return gestureEnded(4); });
  EXPECT_EQ(parameter(4), 1.0f);
}

}  // namespace
