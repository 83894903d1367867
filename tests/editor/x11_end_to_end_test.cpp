// The built QTAPG_x64.so in a real X11 window: the editor opened through the
// plug-in record inside a host window, real pointer input from xdotool, and
// the host's view of the gestures. Needs a display (run_with_xvfb.sh).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/plugin/vst2/plugin_host.h"
#include "host/window/x11_host_window.h"

extern char** environ;

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
}

using namespace vsthost;

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
    std::string error;
    library = PluginLibrary::load(QTAPG_PATH, &error);
    ASSERT_TRUE(library) << error;
    plugin = PluginInstance::create(*library, &error);
    ASSERT_TRUE(plugin) << error;
    ERect* rect = nullptr;
    ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    window = X11HostWindow::create(rect->right, rect->bottom, "editor end-to-end", &error);
    ASSERT_TRUE(window) << error;
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, window->parentHandle()), 1);
    idleFor(300);
    ASSERT_TRUE(window->origin(&originX, &originY));
    plugin->host().clear();
  }
  void TearDown() override {
    if (plugin) plugin->dispatch(effEditClose);
    plugin.reset();
    window.reset();
    library.reset();
  }

  void idleFor(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
      plugin->dispatch(effEditIdle);
      window->pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
  }

  // Runs xdotool while idling the editor as a host does, until it is done.
  void drive(const std::vector<std::string>& args) {
    const pid_t pid = startXdotool(args);
    ASSERT_NE(pid, 0) << "xdotool not found";
    int status = 0;
    for (int i = 0; i < 1000; ++i) {
      plugin->dispatch(effEditIdle);
      window->pump();
      if (waitpid(pid, &status, WNOHANG) == pid) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    idleFor(200);
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
};

TEST_F(X11EndToEnd, ClickOnMuteKeyTogglesMuteAsOneGesture) {
  std::vector<std::string> args = move(255, 327);
  args.insert(args.end(), {"click", "1"});
  drive(args);
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
  args.insert(args.end(), {"mousedown", "1", "sleep", "0.2"});
  for (int dy : {10, 20, 30, 40}) {
    const auto step = move(100, 90 - dy);
    args.insert(args.end(), step.begin(), step.end());
    args.insert(args.end(), {"sleep", "0.1"});
  }
  args.insert(args.end(), {"mouseup", "1"});
  drive(args);
  // 40 pixels up of 400 for the whole range.
  EXPECT_NEAR(parameter(0), 0.1f, 1e-6f);
  const std::vector<VstInt32> expected = {audioMasterBeginEdit, audioMasterAutomate,
                                          audioMasterEndEdit};
  EXPECT_EQ(gestureOf(0), expected);
}

TEST_F(X11EndToEnd, CtrlClickRestoresDefaultAndRightClickChangesNothing) {
  plugin->effect()->setParameter(plugin->effect(), 5, 0.3f);  // Dry, default 1
  idleFor(100);
  std::vector<std::string> args = move(395, 140);
  args.insert(args.end(), {"click", "3", "keydown", "ctrl", "click", "1", "keyup", "ctrl"});
  drive(args);
  EXPECT_EQ(parameter(5), 1.0f);
  const std::vector<VstInt32> expected = {audioMasterBeginEdit, audioMasterAutomate,
                                          audioMasterEndEdit};
  EXPECT_EQ(gestureOf(5), expected);  // one gesture: the right click sent nothing
}

TEST_F(X11EndToEnd, WheelOverKnobStepsIt) {
  std::vector<std::string> args = move(480, 90);
  args.insert(args.end(), {"click", "4"});
  drive(args);
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

}  // namespace
