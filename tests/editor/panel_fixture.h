// Runs the real effect with its panel on the headless window backend: a host
// callback that records what the plug-in asks, and helpers that press, drag,
// turn the wheel and idle the editor as a host and a user would.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "editor/tempo_sync.h"
#include "gui/cbuttons.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "platform/headless_window.h"
#include "vst/editor/quillet_gui.h"
#include "vst/quillet.h"

namespace quillet::test {

struct Request {
  VstInt32 opcode;
  VstInt32 index;
  float opt;
};

// The host's side; one per process is enough for these tests.
struct Host {
  static Host& get() {
    static Host host;
    return host;
  }
  std::vector<Request> requests;
  bool timeAvailable = true;
  VstTimeInfo time{};
  AEffect* reenterOnIdle = nullptr;  // answers audioMasterIdle with effEditIdle
  int idleRequests = 0;
  int drawnDuringNestedIdle = 0;  // areas shown while answering with effEditIdle

  void reset() {
    requests.clear();
    timeAvailable = true;
    time = VstTimeInfo{};
    time.tempo = 120.0;
    time.sampleRate = 48000.0;
    reenterOnIdle = nullptr;
    idleRequests = 0;
    drawnDuringNestedIdle = 0;
  }
  // The requests other than idle and time queries, which come at the host's pace.
  std::vector<Request> edits() const {
    std::vector<Request> out;
    for (const Request& r : requests)
      if (r.opcode == audioMasterBeginEdit || r.opcode == audioMasterEndEdit ||
          r.opcode == audioMasterAutomate)
        out.push_back(r);
    return out;
  }
  static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                            void* ptr, float opt);
};

inline VstIntPtr Host::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                float opt) {
  Host& host = get();
  if (opcode == audioMasterVersion) return 2400;
  host.requests.push_back(Request{opcode, index, opt});
  if (opcode == audioMasterGetTime)
    return host.timeAvailable ? reinterpret_cast<VstIntPtr>(&host.time) : 0;
  if (opcode == audioMasterIdle) {
    ++host.idleRequests;
    if (host.reenterOnIdle && effect == host.reenterOnIdle) {
      quillet::platform::HeadlessWindow* window = quillet::platform::HeadlessWindow::latest();
      const size_t before = window ? window->presentedAreas().size() : 0;
      // Something to draw: the host moves Pan, then idles the editor.
      effect->setParameter(effect, 6, host.idleRequests % 2 ? 0.1f : 0.9f);
      effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
      if (window)
        host.drawnDuringNestedIdle += static_cast<int>(window->presentedAreas().size() - before);
    }
  }
  return 0;
}

inline bool sameRequest(const Request& r, VstInt32 opcode, VstInt32 index) {
  return r.opcode == opcode && r.index == index;
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host::get().reset();
    quillet::platform::setPlatformWindowFactory(&quillet::platform::HeadlessWindow::create);
    effect = new Quillet(&Host::callback);
  }
  void TearDown() override {
    delete effect;
    quillet::platform::setPlatformWindowFactory(nullptr);
  }

  AEffect* record() { return effect->getAeffect(); }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return record()->dispatcher(record(), opcode, index, value, ptr, opt);
  }
  QuilletGUI* gui() { return static_cast<QuilletGUI*>(effect->getEditor()); }
  quillet::platform::HeadlessWindow* window() {
    return quillet::platform::HeadlessWindow::latest();
  }

  // Opens as a host does and lets the first paint happen.
  void open() {
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, &parentWindow), 1);
    ASSERT_NE(window(), nullptr);
    idle();
    Host::get().requests.clear();
  }
  void idle() { dispatch(effEditIdle); }

  VSTGUI::CControl* control(VstInt32 tag) { return gui()->controlForTag(tag); }
  float value(VstInt32 tag) { return control(tag)->getValue(); }
  void setParameter(VstInt32 index, float v) { record()->setParameter(record(), index, v); }
  float parameter(VstInt32 index) { return record()->getParameter(record(), index); }

  // A press at (x, y) with `buttons`; the mouse then follows `moves` (one per
  // poll of the tracking loop) and all buttons come up after the last one.
  void press(int x, int y, int32_t buttons,
             const std::vector<quillet::platform::MouseState>& moves = {}) {
    window()->scriptMouse(moves);
    window()->queueMouseDown(quillet::platform::Point(x, y), buttons);
    idle();
  }
  void click(int x, int y, int32_t buttons = VSTGUI::kLButton) { press(x, y, buttons); }
  void wheel(int x, int y, float notches, int32_t buttons = 0) {
    window()->queueWheel(quillet::platform::Point(x, y), notches, buttons);
    idle();
  }
  bool keyDown(unsigned char virt, unsigned char modifier = 0) {
    return dispatch(effEditKeyDown, 0, virt, nullptr, modifier) == 1;
  }

  Quillet* effect = nullptr;
  int parentWindow = 0;  // any address stands for the host's window
};

}  // namespace quillet::test
