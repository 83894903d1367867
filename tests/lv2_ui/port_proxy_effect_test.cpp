// The proxy effect under the LV2 panel, without a window: what it stores and
// shows, what it writes to the host and how gestures become touches.
#include "lv2/ui/port_proxy_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "editor/tempo_sync.h"

namespace {

struct Recorder {
  std::vector<std::string> calls;  // "w3=0.5", "t0+", "t0-"

  static void write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                    const void* buffer) {
    float value = 0.0f;
    if (size == sizeof value && protocol == 0) value = *static_cast<const float*>(buffer);
    static_cast<Recorder*>(controller)
        ->calls.push_back("w" + std::to_string(port) + "=" + std::to_string(value));
  }
  static void touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    static_cast<Recorder*>(handle)->calls.push_back("t" + std::to_string(port) +
                                                    (grabbed ? "+" : "-"));
  }
};

class ProxyTest : public ::testing::Test {
 protected:
  ProxyTest() : touchFeature{&recorder, &Recorder::touch} {
    ports.write = &Recorder::write;
    ports.controller = &recorder;
    ports.touch = &touchFeature;
  }
  Recorder recorder;
  LV2UI_Touch touchFeature;
  UiHostPorts ports;
};

TEST_F(ProxyTest, StartsAtTheDefaultsAndStoresHostValuesClampedWithoutWritingBack) {
  PortProxyEffect effect(ports);
  const float defaults[] = {0, 0, 0, 0.5f, 0, 1, 0.5f, 0, 0, 1, 0};
  for (VstInt32 i = 0; i < 11; ++i) EXPECT_EQ(effect.getParameter(i), defaults[i]) << i;

  effect.setParameter(0, 1.5f);
  effect.setParameter(1, -2.0f);
  effect.setParameter(2, 0.25f);
  effect.setParameter(2, std::numeric_limits<float>::quiet_NaN());  // dropped
  effect.setParameter(11, 0.7f);                                    // no such parameter
  effect.setParameter(-1, 0.7f);
  EXPECT_EQ(effect.getParameter(0), 1.0f);
  EXPECT_EQ(effect.getParameter(1), 0.0f);
  EXPECT_EQ(effect.getParameter(2), 0.25f);
  EXPECT_EQ(effect.getParameter(11), 0.0f);
  EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(ProxyTest, UserChangesWriteTheStoredValueToTheirPort) {
  PortProxyEffect effect(ports);
  effect.setParameterAutomated(4, 1.0f);
  effect.setParameterAutomated(0, 3.0f);  // clamped before it is written
  effect.setParameterAutomated(1, std::numeric_limits<float>::quiet_NaN());
  effect.setParameterAutomated(1007, 0.5f);  // the note-mode switch has no port
  const std::vector<std::string> expected = {"w4=1.000000", "w0=1.000000"};
  EXPECT_EQ(recorder.calls, expected);
  EXPECT_EQ(effect.getParameter(0), 1.0f);
}

TEST_F(ProxyTest, GesturesTouchTheirPortsAndNoteKeysTouchDelayAndRange) {
  PortProxyEffect effect(ports);
  EXPECT_TRUE(effect.beginEdit(6));
  EXPECT_TRUE(effect.endEdit(6));
  EXPECT_TRUE(effect.beginEdit(kTagWholeNote + 2));
  EXPECT_TRUE(effect.endEdit(kTagWholeNote + 2));
  EXPECT_FALSE(effect.beginEdit(kTagNoteMode));
  EXPECT_FALSE(effect.endEdit(kTagNoteMode));
  const std::vector<std::string> expected = {"t6+", "t6-", "t0+", "t3+", "t3-", "t0-"};
  EXPECT_EQ(recorder.calls, expected);

  ports.touch = nullptr;  // a host without ui:touch
  PortProxyEffect untouched(ports);
  EXPECT_FALSE(untouched.beginEdit(0));
  EXPECT_FALSE(untouched.endEdit(0));
  EXPECT_EQ(recorder.calls.size(), expected.size());
}

TEST_F(ProxyTest, TimeInfoCarriesAUsableHostTempoOnly) {
  PortProxyEffect effect(ports);
  EXPECT_EQ(effect.getTimeInfo(kVstTempoValid), nullptr);
  effect.setHostTempo(120.0f);
  VstTimeInfo* time = effect.getTimeInfo(kVstTempoValid);
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->tempo, 120.0);
  EXPECT_TRUE(time->flags & kVstTempoValid);
  for (float none : {0.0f, -60.0f, std::numeric_limits<float>::infinity(),
                     std::numeric_limits<float>::quiet_NaN()}) {
    effect.setHostTempo(none);
    EXPECT_EQ(effect.getTimeInfo(kVstTempoValid), nullptr) << none;
  }
}

}  // namespace
