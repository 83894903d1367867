// The CLAP edition's panel opened by quillet-host as a CLAP host opens it: the
// gui extension embedding it in a real X11 window, run on the host's timers
// and its poll loop over the panel's descriptor. It draws the VST 2.4
// panel's picture, and real pointer input from xdotool reaches the host as
// gesture-begin, value and gesture-end events. Needs a display
// (run_with_xvfb.sh).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/factory_presets.h"
#include "core/param_table.h"
#include "editor/tempo_sync.h"
#include "host/plugin/clap/clap_panel_session.h"
#include "tests/support/wait_until.h"

extern char** environ;

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
}

namespace {

using namespace quillet::host;

class ClapPanelX11 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    std::string error;
    ASSERT_TRUE(openClap(QUILLET_CLAP_PATH, &plugin, &error)) << error;
  }

  void open() {
    std::string error;
    session = ClapPanelSession::open(*plugin, "clap panel test", &error);
    ASSERT_TRUE(session) << error;
    ASSERT_TRUE(runUntil([&] { return panelDrawn(); })) << "the panel did not draw";
    ASSERT_TRUE(session->window().origin(&originX, &originY));
  }

  // Runs the host's loop until `done` holds; false if it does not within
  // the generous limit.
  bool runUntil(const std::function<bool()>& done) {
    bool held = false;
    session->runFor(static_cast<int>(quillet::test::kGenerousLimit.count()),
                    [&] { return held = done(); });
    return held;
  }

  // Whether the window shows the panel drawn whole at its size (the panel's
  // pictures have no black pixel; the host's window is black).
  bool panelDrawn() {
    std::vector<unsigned char> shown;
    int w = 0, h = 0;
    const int width = static_cast<int>(session->width()),
              height = static_cast<int>(session->height());
    if (!session->window().capture(&shown, &w, &h) || w < width || h < height) return false;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned char* p = &shown[(static_cast<size_t>(y) * w + x) * 3];
        if (p[0] == 0 && p[1] == 0 && p[2] == 0) return false;
      }
    return true;
  }

  // The events end with a gesture's end: what a click or a preset leads to.
  bool gestureEnded() {
    const std::vector<ClapOutputEvent> got = events();
    return !got.empty() && got.back().type == CLAP_EVENT_PARAM_GESTURE_END;
  }

  // Runs xdotool while the host's loop runs, until it is done; then runs the
  // loop until the panel has handled all of the input (a round trip to the
  // server hands it over, its descriptor tells) and `done` holds.
  void drive(std::vector<std::string> args, const std::function<bool()>& done) {
    std::vector<char*> argv;
    static std::string program = "xdotool";
    argv.push_back(program.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ), 0)
        << "xdotool not found";
    int status = 0;
    ASSERT_TRUE(runUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }))
        << "xdotool did not finish";
    session->window().sync();
    EXPECT_TRUE(runUntil(done)) << "the panel did not do what the input asks";
  }

  void clickAt(int x, int y, const std::function<bool()>& done, const char* button = "1") {
    drive({"mousemove", "--sync", std::to_string(originX + x), std::to_string(originY + y), "click",
           button},
          done);
  }

  // The events the host collected from the flushes it made on request.
  std::vector<ClapOutputEvent> events() { return plugin->requestedFlushEvents().events(); }

  // Whether the host's window shows the reference picture the VST 2.4 panel
  // is checked against in its own window (a failure when it does not).
  bool showsGolden(const char* name) {
    if (showsPicture(name)) return true;
    ADD_FAILURE() << name << ": the window does not show it";
    return false;
  }

  bool showsPicture(const char* name) {
    std::vector<unsigned char> shown;
    int w = 0, h = 0;
    if (!session->window().capture(&shown, &w, &h)) return false;
    std::vector<unsigned char> png;
    if (FILE* file = std::fopen((std::string(GOLDEN_DIR "/") + name).c_str(), "rb")) {
      unsigned char buffer[65536];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        png.insert(png.end(), buffer, buffer + n);
      std::fclose(file);
    }
    int rw = 0, rh = 0, channels = 0;
    unsigned char* reference = png.empty()
                                   ? nullptr
                                   : stbi_load_from_memory(png.data(), static_cast<int>(png.size()),
                                                           &rw, &rh, &channels, 3);
    if (!reference) {
      ADD_FAILURE() << name << ": no reference picture";
      return false;
    }
    const bool same = rw == w && rh == h && std::equal(shown.begin(), shown.end(), reference);
    stbi_image_free(reference);
    return same;
  }

  OpenedClap plugin;
  std::unique_ptr<ClapPanelSession> session;
  int originX = 0, originY = 0;
};

TEST_F(ClapPanelX11, DrawsTheVst24PanelsPictureOnTheHostsTimersAndDescriptor) {
  open();
  EXPECT_EQ(session->width(), 586u);
  EXPECT_EQ(session->height(), 385u);
  EXPECT_EQ(plugin->host().timerCount(), 1u);
  EXPECT_EQ(plugin->host().descriptorCount(), 1u);
  EXPECT_LE(plugin->host().firstTimerPeriod(), 50u);
  EXPECT_TRUE(showsGolden("panel_default.png"));
  runUntil([&] { return plugin->host().timerCalls > 3; });  // the host's timer keeps running it
  EXPECT_GT(plugin->host().timerCalls, 3);
  session.reset();
  EXPECT_EQ(plugin->host().timerCount(), 0u);
  EXPECT_EQ(plugin->host().descriptorCount(), 0u);
}

// The host's factor through set_scale: before the window opens it sets the
// size the panel opens at; while open the panel asks for its new size with
// request_resize and draws at it once the host agrees.
TEST_F(ClapPanelX11, TheHostsScaleSetsThePanelsSizeAndAsksForANewOne) {
  // Nothing ahead of the host's factor: no variable, no saved choice.
  unsetenv("QUILLET_UI_SCALE");
  char config[] = "/tmp/clap-scale-XXXXXX";
  ASSERT_NE(mkdtemp(config), nullptr);
  setenv("XDG_CONFIG_HOME", config, 1);
  std::string error;
  session = ClapPanelSession::open(*plugin, "clap panel test", &error, 1.5);
  ASSERT_TRUE(session) << error;
  runUntil([&] { return panelDrawn(); });
  EXPECT_EQ(session->width(), 879u);
  EXPECT_EQ(session->height(), 578u);
  EXPECT_TRUE(showsGolden("panel_default_150.png"));
  EXPECT_TRUE(plugin->host().resizeRequests.empty());

  const auto* gui = plugin->extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
  EXPECT_FALSE(gui->set_scale(plugin->plugin(), 0.0));
  EXPECT_FALSE(gui->set_scale(plugin->plugin(), std::nan("")));
  ASSERT_TRUE(gui->set_scale(plugin->plugin(), 2.0));
  runUntil([&] { return !plugin->host().resizeRequests.empty(); });
  ASSERT_EQ(plugin->host().resizeRequests.size(), 1u);
  EXPECT_EQ(plugin->host().resizeRequests[0], std::make_pair(1172u, 770u));
  uint32_t w = 0, h = 0;
  ASSERT_TRUE(gui->get_size(plugin->plugin(), &w, &h));
  EXPECT_EQ(w, 1172u);
  EXPECT_EQ(h, 770u);
  runUntil([&] { return showsPicture("panel_default_200.png"); });
  EXPECT_TRUE(showsGolden("panel_default_200.png"));

  // What the panel cannot take as a factor is refused and changes nothing.
  for (double ignored : {1e39, -2.0, -0.0, std::numeric_limits<double>::infinity(), 1e-50})
    EXPECT_FALSE(gui->set_scale(plugin->plugin(), ignored)) << ignored;
  const int ticks = plugin->host().timerCalls;
  runUntil([&] { return plugin->host().timerCalls > ticks; });  // where it would ask
  EXPECT_EQ(plugin->host().resizeRequests.size(), 1u);
  ASSERT_TRUE(gui->get_size(plugin->plugin(), &w, &h));
  EXPECT_EQ(w, 1172u);

  // A host that refuses keeps the panel at the size it has.
  plugin->host().onResizeRequest({});
  ASSERT_TRUE(gui->set_scale(plugin->plugin(), 1.0));
  runUntil([&] { return plugin->host().resizeRequests.size() == 2; });
  EXPECT_EQ(plugin->host().resizeRequests.size(), 2u);
  ASSERT_TRUE(gui->get_size(plugin->plugin(), &w, &h));
  EXPECT_EQ(w, 1172u);
  EXPECT_EQ(h, 770u);
  rmdir(config);
}

TEST_F(ClapPanelX11, AClickOnMuteReachesTheHostAsOneGesture) {
  open();
  const int calls = plugin->host().descriptorCalls;
  clickAt(255, 327, [&] { return gestureEnded(); });  // the middle of the Mute key
  EXPECT_GT(plugin->host().descriptorCalls, calls) << "the click came through the descriptor";
  const std::vector<ClapOutputEvent> got = events();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
  EXPECT_EQ(got[1].type, CLAP_EVENT_PARAM_VALUE);
  EXPECT_EQ(got[2].type, CLAP_EVENT_PARAM_GESTURE_END);
  for (const ClapOutputEvent& e : got)
    EXPECT_EQ(e.paramId, static_cast<clap_id>(quillet::engine::kParamMute));
  EXPECT_EQ(got[1].value, 1.0);
  EXPECT_GE(plugin->host().flushRequests.load() + 1, 1);
  double value = 0;
  ASSERT_TRUE(plugin->parameterValue(quillet::engine::kParamMute, &value));
  EXPECT_EQ(value, 1.0);
  EXPECT_TRUE(plugin->host().wrongThreadCalls().empty());
}

TEST_F(ClapPanelX11, ThePanelsMenuLoadsAPresetAsElevenGestures) {
  open();
  clickAt(
      20, 200, [&] { return !showsPicture("panel_default.png"); },
      "3");  // the background: the menu
  // The menu (346 by 196 pixels) sits as low as the panel lets it: its
  // presets' column from x 170, its rows from y 189 + 28, 18 high. The
  // sixth preset, "Dub Throw":
  clickAt(170 + 60, 189 + 28 + 5 * 18 + 9, [&] { return events().size() == 33; });
  const std::vector<ClapOutputEvent> got = events();
  ASSERT_EQ(got.size(), 33u);
  const quillet::core::FactoryPreset& dub = quillet::core::kFactoryPresets[5];
  for (int i = 0; i < quillet::core::kNumQuilletParams; ++i) {
    EXPECT_EQ(got[3 * i].type, CLAP_EVENT_PARAM_GESTURE_BEGIN) << i;
    EXPECT_EQ(got[3 * i + 1].type, CLAP_EVENT_PARAM_VALUE) << i;
    EXPECT_EQ(got[3 * i + 2].type, CLAP_EVENT_PARAM_GESTURE_END) << i;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(got[3 * i + k].paramId, static_cast<clap_id>(i));
    // The host's values: knobs 0..1, switches and selectors by position.
    double value = 0;
    ASSERT_TRUE(plugin->parameterValue(i, &value));
    if (quillet::core::kQuilletParams[i].kind == quillet::core::ParamKind::Continuous)
      EXPECT_EQ(static_cast<float>(value), dub.values[i]) << i;
    else
      EXPECT_EQ(value, quillet::core::paramPosition(i, dub.values[i])) << i;
  }
  EXPECT_TRUE(plugin->host().wrongThreadCalls().empty());
}

TEST_F(ClapPanelX11, ANoteKeyTakesTheTempoOfTheTransport) {
  // One block with the transport at 100 bpm, then active but not processing:
  // the host flushes on the audio thread's role.
  ASSERT_TRUE(plugin->activate(48000, 1, 64));
  ASSERT_TRUE(plugin->startProcessing());
  std::vector<float> silence(64);
  float* channels[2] = {silence.data(), silence.data()};
  clap_audio_buffer_t buffer{};
  buffer.channel_count = 2;
  buffer.data32 = channels;
  clap_event_transport_t transport{};
  transport.header = {sizeof(transport), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
  transport.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_IS_PLAYING;
  transport.tempo = 100.0;
  ClapInputEvents none;
  ClapOutputEvents out;
  clap_process_t block{};
  block.frames_count = 64;
  block.transport = &transport;
  block.audio_inputs = &buffer;
  block.audio_outputs = &buffer;
  block.audio_inputs_count = block.audio_outputs_count = 1;
  block.in_events = none.list();
  block.out_events = out.list();
  ASSERT_NE(plugin->process(block), CLAP_PROCESS_ERROR);
  plugin->stopProcessing();
  open();
  clickAt(345 + 2 * 30 + 15, 222 + 15, [&] { return gestureEnded(); });  // the quarter-note key
  // A quarter note at 100 bpm: 600 ms, set on "Delay" and "Range" as one gesture.
  const DelaySetting expected = delayForTime(600.0);
  const std::vector<ClapOutputEvent> got = events();
  // Begins on both, then the values (the key sets them as it goes down and
  // again as it comes up, as in every edition), then the ends.
  ASSERT_GE(got.size(), 6u);
  ASSERT_EQ(got.size() % 2, 0u);
  const size_t last = got.size() - 1;
  EXPECT_EQ(got[0].type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
  EXPECT_EQ(got[0].paramId, static_cast<clap_id>(quillet::engine::kParamDelay));
  EXPECT_EQ(got[1].type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
  EXPECT_EQ(got[1].paramId, static_cast<clap_id>(quillet::engine::kParamRange));
  for (size_t i = 2; i + 2 <= last; i += 2) {
    EXPECT_EQ(got[i].type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(got[i].paramId, static_cast<clap_id>(quillet::engine::kParamDelay));
    EXPECT_EQ(got[i].value, static_cast<double>(expected.delay));
    EXPECT_EQ(got[i + 1].type, CLAP_EVENT_PARAM_VALUE);
    EXPECT_EQ(got[i + 1].paramId, static_cast<clap_id>(quillet::engine::kParamRange));
    EXPECT_EQ(got[i + 1].value,
              quillet::core::paramPosition(quillet::engine::kParamRange, expected.range));
  }
  EXPECT_EQ(got[last - 1].type, CLAP_EVENT_PARAM_GESTURE_END);
  EXPECT_EQ(got[last - 1].paramId, static_cast<clap_id>(quillet::engine::kParamRange));
  EXPECT_EQ(got[last].type, CLAP_EVENT_PARAM_GESTURE_END);
  EXPECT_EQ(got[last].paramId, static_cast<clap_id>(quillet::engine::kParamDelay));
  EXPECT_EQ(plugin->valueText(quillet::engine::kParamDelay, got[2].value).substr(0, 3), "600");
  EXPECT_TRUE(plugin->host().wrongThreadCalls().empty());
}

}  // namespace
