// The LV2 UI's panel host without a window: what it stores from port events,
// what it writes to the host and how gestures become touches.
#include "lv2/ui/lv2_panel_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/panel_host.h"
#include "lv2/lv2_ports.h"

namespace {

using quillet::lv2::ui::Lv2PanelHost;
using quillet::lv2::ui::UiHostPorts;

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

class PanelHostTest : public ::testing::Test {
 protected:
  PanelHostTest() : touchFeature{&recorder, &Recorder::touch} {
    ports.write = &Recorder::write;
    ports.controller = &recorder;
    ports.touch = &touchFeature;
  }
  // A control port's value as the host reports it; the parameter it changed or -1.
  static int32_t report(Lv2PanelHost& host, uint32_t port, float value) {
    return host.portEvent(port, sizeof value, 0, &value);
  }

  Recorder recorder;
  LV2UI_Touch touchFeature;
  UiHostPorts ports;
};

TEST_F(PanelHostTest, StartsAtTheDefaultsAndStoresHostValuesClampedWithoutWritingBack) {
  Lv2PanelHost host(ports);
  const float defaults[] = {0, 0, 0, 0.5f, 0, 1, 0.5f, 0, 0, 1, 0};
  for (int32_t i = 0; i < 11; ++i) EXPECT_EQ(host.parameterValue(i), defaults[i]) << i;

  EXPECT_EQ(report(host, 0, 1.5f), 0);
  EXPECT_EQ(report(host, 1, -2.0f), 1);
  EXPECT_EQ(report(host, 2, 0.25f), 2);
  EXPECT_EQ(report(host, 2, std::numeric_limits<float>::quiet_NaN()), -1);  // dropped
  EXPECT_EQ(report(host, 5, -std::numeric_limits<float>::infinity()), 5);
  EXPECT_EQ(report(host, 11, 0.7f), -1);  // an audio port
  EXPECT_EQ(host.parameterValue(0), 1.0f);
  EXPECT_EQ(host.parameterValue(1), 0.0f);
  EXPECT_EQ(host.parameterValue(2), 0.25f);
  EXPECT_EQ(host.parameterValue(5), 0.0f);
  EXPECT_EQ(host.parameterValue(11), 0.0f);
  EXPECT_EQ(host.parameterValue(-1), 0.0f);
  EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(PanelHostTest, OnlyOneFloatInTheControlFormatIsRead) {
  Lv2PanelHost host(ports);
  const float value = 0.75f;
  const double wide = 0.75;
  EXPECT_EQ(host.portEvent(0, sizeof value, 1, &value), -1);  // an event format
  EXPECT_EQ(host.portEvent(0, sizeof wide, 0, &wide), -1);
  EXPECT_EQ(host.portEvent(0, sizeof value, 0, nullptr), -1);
  EXPECT_EQ(host.parameterValue(0), 0.0f);
}

TEST_F(PanelHostTest, UserChangesWriteTheStoredValueToTheirPort) {
  Lv2PanelHost host(ports);
  host.performEdit(4, 1.0f);
  host.performEdit(0, 3.0f);  // clamped before it is written
  host.performEdit(1, std::numeric_limits<float>::quiet_NaN());
  host.performEdit(quillet::core::kTagNoteMode, 0.5f);  // the note-mode switch has no port
  const std::vector<std::string> expected = {"w4=1.000000", "w0=1.000000"};
  EXPECT_EQ(recorder.calls, expected);
  EXPECT_EQ(host.parameterValue(0), 1.0f);
  EXPECT_EQ(host.parameterValue(1), 0.0f);
}

TEST_F(PanelHostTest, GesturesTouchTheirPortsAndNoteKeysTouchDelayAndRange) {
  Lv2PanelHost host(ports);
  host.beginGesture(6);
  host.endGesture(6);
  for (int32_t key = quillet::core::kTagWholeNote; key <= quillet::core::kTagThirtySecondNote;
       ++key) {
    recorder.calls.clear();
    host.beginGesture(key);
    host.endGesture(key);
    const std::vector<std::string> noteKey = {"t0+", "t3+", "t3-", "t0-"};
    EXPECT_EQ(recorder.calls, noteKey) << key;
  }
  recorder.calls.clear();
  host.beginGesture(6);
  host.endGesture(6);
  host.beginGesture(quillet::core::kTagNoteMode);  // no port: nothing to touch
  host.endGesture(quillet::core::kTagNoteMode);
  host.beginGesture(1000);
  host.endGesture(11);
  const std::vector<std::string> expected = {"t6+", "t6-"};
  EXPECT_EQ(recorder.calls, expected);

  ports.touch = nullptr;  // a host without ui:touch
  Lv2PanelHost untouched(ports);
  untouched.beginGesture(0);
  untouched.endGesture(quillet::core::kTagWholeNote);
  EXPECT_EQ(recorder.calls, expected);
}

TEST_F(PanelHostTest, TempoComesFromTheHostTempoPortWhenUsable) {
  Lv2PanelHost host(ports);
  EXPECT_EQ(host.hostTempo(), 0.0);
  EXPECT_EQ(report(host, quillet::lv2::kPortHostTempo, 120.0f), -1);  // no parameter
  EXPECT_EQ(host.hostTempo(), 120.0);
  for (float none : {0.0f, -60.0f, std::numeric_limits<float>::infinity(),
                     std::numeric_limits<float>::quiet_NaN()}) {
    report(host, quillet::lv2::kPortHostTempo, none);
    EXPECT_EQ(host.hostTempo(), 0.0) << none;
  }
  // The other ports beyond the parameters carry no tempo.
  report(host, quillet::lv2::kPortHostTempo - 1, 90.0f);
  EXPECT_EQ(host.hostTempo(), 0.0);
  EXPECT_TRUE(recorder.calls.empty());
}

}  // namespace
