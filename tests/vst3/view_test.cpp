// The panel of the built bundle as a Linux DAW shows it: the controller's
// IPlugView attached to an X11 window of the host's, run by the host's run
// loop (the X connection's descriptor and a timer), with real pointer input
// from xdotool. It draws the VST 2.4 panel's committed snapshots pixel for
// pixel, and the user's gestures reach the host's component handler as
// beginEdit, performEdit and endEdit. Needs a display (run_with_xvfb.sh).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "core/factory_presets.h"
#include "host/plugin/vst3/view_host.h"
#include "host/plugin/vst3/vst3_instance.h"
#include "host/window/x11_host_window.h"
#include "tests/support/wait_until.h"

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
}

extern char** environ;

namespace quillet::host::vst3 {
namespace {

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

class Vst3View : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    std::string error;
    module = Vst3Module::load(VST3_BUNDLE_PATH, &error);
    ASSERT_TRUE(module) << error;
    instance = Vst3Instance::open(*module, &error);
    ASSERT_TRUE(instance) << error;
    // A block with the host's tempo, as a playing DAW sends it: the note
    // keys read it from there.
    ASSERT_TRUE(instance->start(48000.0, 64, false, kRealtime, &error)) << error;
    setTempo(120.0);
    view = instance->controller()->createView(kViewTypeEditor);
    ASSERT_NE(view, nullptr);
    ViewRect size{};
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, 586);
    EXPECT_EQ(size.bottom - size.top, 385);
    window = X11HostWindow::create(586, 385, "VST3 view test", &error);
    ASSERT_TRUE(window) << error;
    ASSERT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    view->setFrame(&host);
    ASSERT_EQ(view->attached(window->parentHandle(), kPlatformTypeX11EmbedWindowID), kResultOk);
    EXPECT_EQ(host.handlerCount(), 1u) << "the X connection's descriptor";
    EXPECT_EQ(host.timerCount(), 1u);
    ASSERT_TRUE(runUntil([&] { return panelDrawn(586, 385); })) << "the panel did not draw";
    ASSERT_TRUE(window->origin(&originX, &originY));
  }

  void TearDown() override {
    if (view) {
      EXPECT_EQ(view->removed(), kResultOk);
      EXPECT_EQ(host.handlerCount(), 0u);
      EXPECT_EQ(host.timerCount(), 0u);
      view->setFrame(nullptr);
      EXPECT_EQ(view->release(), 0u);
    }
    EXPECT_EQ(host.references(), 0u);
  }

  // Runs the host's loop, a turn at a time, until `done` holds; false if it
  // does not within the generous limit.
  bool runUntil(const std::function<bool()>& done) {
    return quillet::test::stepUntil([this] { host.run(10, [this] { window->pump(); }); }, done);
  }
  // Until the view's timer has run once more: what it would do has been done.
  void runATimerTick() {
    const int ticks = host.timerCalls();
    runUntil([&] { return host.timerCalls() > ticks; });
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

  // The handler has seen a gesture on `id` end.
  bool ended(ParamID id) {
    for (const HandlerCall& c : instance->handler().calls())
      if (c.kind == HandlerCall::kEnd && c.id == id) return true;
    return false;
  }

  void setTempo(double bpm) {
    instance->setTempo(bpm);
    float silence[2][64] = {};
    float* io[2] = {silence[0], silence[1]};
    ASSERT_EQ(instance->process(io, io, 64), kResultOk);
  }

  // Pixels that differ from the committed VST 2.4 panel snapshot `name`.
  int pixelsDifferingFrom(const std::string& name, std::string* where) {
    std::vector<unsigned char> shown;
    int w = 0, h = 0;
    if (!window->capture(&shown, &w, &h)) return -1;
    const std::vector<unsigned char> png = readFile(std::string(GOLDEN_DIR) + "/" + name + ".png");
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

  // The view draws on its timer: on a loaded machine the picture may take a
  // while, so keep running the loop until it matches.
  void expectPicture(const std::string& name) {
    std::string where;
    int differing = -1;
    runUntil([&] { return (differing = pixelsDifferingFrom(name, &where)) == 0; });
    EXPECT_EQ(differing, 0) << name << ": first difference at " << where;
  }

  // xdotool with `args`, the host's run loop going meanwhile (a press runs
  // the control's tracking loop inside one call of the view's handler); then
  // the loop until the view has handled all of the input (a round trip to
  // the server hands it over, its descriptor tells) and `done` holds.
  bool drive(std::vector<std::string> args, const std::function<bool()>& done) {
    std::vector<char*> argv;
    static std::string program = "xdotool";
    argv.push_back(program.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    if (!runUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    window->sync();
    return runUntil(done);
  }

  // `done` says what the click does, for the test to wait for.
  void click(int x, int y, const std::function<bool()>& done, const char* button = "1") {
    const std::string sx = std::to_string(originX + x), sy = std::to_string(originY + y);
    ASSERT_TRUE(drive({"mousemove", sx, std::to_string(originY + y + 1), "mousemove", "--sync", sx,
                       sy, "click", button},
                      done))
        << "xdotool failed, or the click did not take effect";
  }

  // The handler's calls as text: "b4 p4=1 e4" (begin, perform with value,
  // end); a perform that repeats its parameter's last value counts once.
  std::string calls() {
    std::string out;
    std::map<ParamID, ParamValue> performed;
    for (const HandlerCall& c : instance->handler().calls()) {
      if (c.kind == HandlerCall::kPerform) {
        const auto last = performed.find(c.id);
        if (last != performed.end() && last->second == c.value) continue;
        performed[c.id] = c.value;
      }
      if (!out.empty()) out += ' ';
      switch (c.kind) {
        case HandlerCall::kBegin:
          out += "b" + std::to_string(c.id);
          break;
        case HandlerCall::kEnd:
          out += "e" + std::to_string(c.id);
          break;
        case HandlerCall::kPerform: {
          char value[32];
          std::snprintf(value, sizeof value, "%.9g", c.value);
          out += "p" + std::to_string(c.id) + "=" + value;
          break;
        }
        case HandlerCall::kRestart:
          out += "r";
          break;
      }
    }
    return out;
  }

  std::unique_ptr<Vst3Module> module;
  std::unique_ptr<Vst3Instance> instance;
  std::unique_ptr<X11HostWindow> window;
  ViewHost host;
  IPlugView* view = nullptr;
  int originX = 0, originY = 0;
};

TEST_F(Vst3View, DrawsTheVst24PanelPixelForPixel) { expectPicture("panel_default"); }

TEST_F(Vst3View, HostValuesMoveTheControlsAndAreNotSentBack) {
  const float values[] = {0.5f, 0.7f, 0.35f, 1.0f, 1.0f, 0.2f, 0.9f, 0.5f, 1.0f, 0.0f, 0.5f};
  for (ParamID id = 0; id < 11; ++id) instance->controller()->setParamNormalized(id, values[id]);
  expectPicture("panel_moved");
  EXPECT_EQ(calls(), "");
  // A note key at 120 bpm from the process context: thirty-second, Delay
  // 0.25, Range 0, both inside one gesture.
  click(495 + 15, 237, [&] { return ended(0); });
  expectPicture("panel_after_note");
  EXPECT_EQ(calls(), "b0 b3 p0=0.25 p3=0 e3 e0");
}

TEST_F(Vst3View, AClickOnMuteReachesTheHostAsOneGesture) {
  click(255, 327, [&] { return ended(4); });
  EXPECT_EQ(calls(), "b4 p4=1 e4");
  EXPECT_EQ(instance->controller()->getParamNormalized(4), 1.0);
}

TEST_F(Vst3View, NoteKeysTakeTheTempoOfTheProcessContext) {
  click(405 + 15, 237, [&] { return ended(0); });  // quarter note at 120 bpm: 500 ms
  EXPECT_EQ(calls(), "b0 b3 p0=0.846747398 p3=0.5 e3 e0");
  instance->handler().clear();
  setTempo(100.0);
  click(360 + 75, 270, [] { return true; });       // dotted: a panel-only switch
  click(345 + 15, 237, [&] { return ended(0); });  // whole note at 100 bpm: 3600 ms, capped
  const std::string seen = calls();
  EXPECT_NE(seen.find("p0=1 p3=1"), std::string::npos) << seen;
}

TEST_F(Vst3View, TheHostsScaleFactorAsksTheHostForTheNewSize) {
  void* found = nullptr;
  ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid.bytes, &found), kResultOk);
  auto* scaling = static_cast<IPlugViewContentScaleSupport*>(found);
  EXPECT_EQ(scaling->setContentScaleFactor(2.0f), kResultTrue);
  runUntil([&] { return host.resizeRequests() > 0; });
  ViewRect size{};
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right - size.left, 1172);
  EXPECT_EQ(size.bottom - size.top, 770);
  EXPECT_EQ(host.resizeRequests(), 1);
  // Only the panel's own size is taken.
  ViewRect other{0, 0, 600, 400};
  EXPECT_EQ(view->onSize(&other), kResultFalse);
  EXPECT_EQ(view->checkSizeConstraint(&other), kResultOk);
  EXPECT_EQ(other.right, 1172);
  // No factor at all is refused, and the panel keeps the one it has.
  for (float ignored : {0.0f, -1.0f, std::nanf(""), std::numeric_limits<float>::infinity()})
    EXPECT_EQ(scaling->setContentScaleFactor(ignored), kResultFalse) << ignored;
  runATimerTick();  // where it would ask
  EXPECT_EQ(host.resizeRequests(), 1);
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.right - size.left, 1172);
  scaling->release();
}

TEST_F(Vst3View, SizesAnywhereInThirtyTwoBitsAreCheckedWithoutOverflow) {
  constexpr int32 kMax = std::numeric_limits<int32>::max();
  constexpr int32 kMin = std::numeric_limits<int32>::min();
  // The panel's size placed anywhere is taken.
  for (int32 left : {0, -5000, kMin, kMax - 586}) {
    ViewRect at{left, kMin, left + 586, kMin + 385};
    EXPECT_EQ(view->onSize(&at), kResultOk) << left;
  }
  // Sides so far apart that their difference wraps to the panel's size in
  // 32 bits, and negative sizes, are not the panel's size.
  ViewRect wrapped{kMax - 100, 0, kMin + 485, 385};
  EXPECT_EQ(view->onSize(&wrapped), kResultFalse);
  ViewRect negative{586, 385, 0, 0};
  EXPECT_EQ(view->onSize(&negative), kResultFalse);
  ViewRect widest{kMin, kMin, kMax, kMax};
  EXPECT_EQ(view->onSize(&widest), kResultFalse);

  // Adjusting keeps the corner and gives the panel's size...
  ViewRect proposed{kMin, -10, kMin + 2, 7};
  EXPECT_EQ(view->checkSizeConstraint(&proposed), kResultOk);
  EXPECT_EQ(proposed.right, kMin + 586);
  EXPECT_EQ(proposed.bottom, -10 + 385);
  EXPECT_EQ(view->checkSizeConstraint(&widest), kResultOk);
  EXPECT_EQ(widest.right, kMin + 586);
  // ...and refuses, unchanged, a negative size and a corner from which the
  // panel's size would run past 32 bits.
  for (ViewRect refused : {ViewRect{10, 10, 0, 400}, ViewRect{0, 10, 600, 0},
                           ViewRect{kMax - 100, 0, kMax, 385}, ViewRect{0, kMax, 586, kMax}}) {
    const ViewRect before = refused;
    EXPECT_EQ(view->checkSizeConstraint(&refused), kResultFalse)
        << before.left << "," << before.top;
    EXPECT_EQ(std::memcmp(&refused, &before, sizeof before), 0);
  }
}

TEST_F(Vst3View, KeysAndTheWheelComeFromTheHost) {
  // Delay takes the focus; a click without a move changes nothing
  click(100, 90, [&] { return ended(0); });
  EXPECT_EQ(calls(), "b0 e0");
  instance->handler().clear();
  EXPECT_EQ(view->onKeyDown(0, 12 /* up */, 0), kResultTrue);
  runUntil([&] { return ended(0); });
  EXPECT_EQ(calls(), "b0 p0=0.100000001 e0");
}

TEST_F(Vst3View, ThePanelsMenuLoadsAPresetAsElevenGesturesTheHostRecords) {
  // As a DAW passes the edits on to the processor.
  instance->handler().onPerform = [this](ParamID id, ParamValue value) {
    instance->queueChange(id, value);
  };
  // "Quarter Note Echo" held: the menu from a right click draws as the VST
  // 2.4 panel's, its row marked.
  const core::FactoryPreset& held = core::kFactoryPresets[3];
  for (ParamID id = 0; id < 11; ++id)
    instance->controller()->setParamNormalized(id, held.values[id]);
  click(
      20, 200, [] { return true; }, "3");
  expectPicture("menu_presets");
  EXPECT_EQ(view->onKeyDown(0, 6 /* escape */, 0), kResultTrue);
  // The host's context-menu key opens it; two rows down from the held
  // preset and Return load "Dub Throw", parameter by parameter.
  EXPECT_EQ(view->onKeyDown(0, 58 /* context menu */, 0), kResultTrue);
  EXPECT_EQ(view->onKeyDown(0, 14 /* down */, 0), kResultTrue);
  EXPECT_EQ(view->onKeyDown(0, 14 /* down */, 0), kResultTrue);
  instance->handler().clear();
  EXPECT_EQ(view->onKeyDown(0, 4 /* return */, 0), kResultTrue);
  runUntil([&] { return ended(10); });
  const core::FactoryPreset& dub = core::kFactoryPresets[5];
  std::string want;
  for (ParamID id = 0; id < 11; ++id) {
    char value[32];
    std::snprintf(value, sizeof value, "%.9g", static_cast<double>(dub.values[id]));
    want += (id ? " b" : "b") + std::to_string(id) + " p" + std::to_string(id) + "=" + value +
            " e" + std::to_string(id);
  }
  EXPECT_EQ(calls(), want);
  // The processor took the edits with the next block: its state is the preset's.
  setTempo(120.0);
  std::vector<uint8> state;
  ASSERT_TRUE(instance->saveState(&state));
  std::vector<uint8> wantState(sizeof dub.values);  // little-endian floats, as the state
  std::memcpy(wantState.data(), dub.values, sizeof dub.values);
  state.resize(sizeof dub.values);
  EXPECT_EQ(state, wantState);
  // Shift+F10 opens it too.
  EXPECT_EQ(view->onKeyDown(0, 49 /* F10 */, 1 /* shift */), kResultTrue);
  EXPECT_EQ(view->onKeyDown(0, 6 /* escape */, 0), kResultTrue);
  EXPECT_EQ(view->onKeyDown(0, 49 /* F10 */, 0), kResultFalse);
}

}  // namespace
}  // namespace quillet::host::vst3
