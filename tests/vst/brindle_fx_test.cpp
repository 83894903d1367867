// BrindleFX over a small table: stores, notifications, chunks, arrangements.
// The Quillet table itself is tested through the built plug-ins.
#include "framework/brindle_fx.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "editor/aeff_gui_editor.h"
#include "tests/vst/recording_host.h"

// This test links no toolkit: the editor shell gets do-nothing bodies here so
// that a panel double can derive from it.
VstInt32 AEffGUIEditor::knobMode = 0;
AEffGUIEditor::AEffGUIEditor(AudioEffect* effect)
    : AEffEditor(effect), rect{}, lastTicks(0), inIdleStuff(false), frame(nullptr) {
  effect->setEditor(this);
}
AEffGUIEditor::~AEffGUIEditor() {}
bool AEffGUIEditor::getRect(ERect** r) { return AEffEditor::getRect(r); }
void AEffGUIEditor::idle() {}
bool AEffGUIEditor::onKeyDown(VstKeyCode&) { return false; }
bool AEffGUIEditor::onKeyUp(VstKeyCode&) { return false; }
bool AEffGUIEditor::onWheel(float) { return false; }
bool AEffGUIEditor::setKnobMode(VstInt32) { return false; }
void AEffGUIEditor::beginEdit(VstInt32) {}
void AEffGUIEditor::endEdit(VstInt32) {}
void AEffGUIEditor::doIdleStuff() {}

namespace {

using Event = std::pair<std::string, VstInt32>;
std::vector<Event> events;

class PanelDouble : public AEffGUIEditor {
 public:
  explicit PanelDouble(AudioEffect* effect) : AEffGUIEditor(effect) {}
  void setParameter(VstInt32 index, float value) override {
    events.push_back({"editor", index});
    seenValue = value;
  }
  float seenValue = -1.0f;
};

class ThreeParamFx : public BrindleFX {
 public:
  ThreeParamFx() : BrindleFX(RecordingHost::callback, 0, 3) {
    static const char* const names[] = {"Alpha", "Beta", "Gamma"};
    for (int i = 0; i < 3; ++i) {
      params[i].name = names[i];
      params[i].label = "u";
      params[i].value = 0.25f;
    }
  }
  void processReplacing(float**, float**, VstInt32) override {}
  void parameterChanged(VstInt32 index, float value) override {
    events.push_back({"engine", index});
    EXPECT_EQ(value, params[index].value);
  }
  void sampleRateChanged(float rate) override {
    events.push_back({"rate", static_cast<VstInt32>(rate)});
    EXPECT_EQ(getSampleRate(), rate);
  }
  void useCanDoList(const char* const* list, uint16_t count) {
    canDoList = list;
    canDoCount = count;
  }
  uint8_t mono() const { return monoIO; }
};

class BrindleFxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    RecordingHost::reset();
  }
  ThreeParamFx fx;
};

TEST_F(BrindleFxTest, StoreClampsThenTellsEngineThenEditor) {
  PanelDouble* panel = new PanelDouble(&fx);
  fx.setParameter(1, 1.5f);
  EXPECT_EQ(fx.getParameter(1), 1.0f);
  EXPECT_EQ(panel->seenValue, 1.0f);
  fx.setParameter(1, -0.2f);
  EXPECT_EQ(fx.getParameter(1), 0.0f);
  EXPECT_EQ(events,
            (std::vector<Event>{{"engine", 1}, {"editor", 1}, {"engine", 1}, {"editor", 1}}));
}

TEST_F(BrindleFxTest, SetSampleRateStoresThenTells) {
  fx.setSampleRate(48000.0f);
  EXPECT_EQ(events, (std::vector<Event>{{"rate", 48000}}));
}

TEST_F(BrindleFxTest, SetChunkRestoresInIndexOrderWithClamping) {
  const float values[4] = {1.7f, std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.9f};
  PanelDouble* panel = new PanelDouble(&fx);
  EXPECT_EQ(fx.setChunk(const_cast<float*>(values), sizeof(values), false), 0);
  EXPECT_EQ(fx.getParameter(0), 1.0f);
  EXPECT_EQ(fx.getParameter(1), 0.25f) << "NaN leaves the value as it was";
  EXPECT_EQ(fx.getParameter(2), 0.5f);
  EXPECT_EQ(panel->seenValue, 0.5f);
  EXPECT_EQ(events,
            (std::vector<Event>{{"engine", 0}, {"editor", 0}, {"engine", 2}, {"editor", 2}}));
}

TEST_F(BrindleFxTest, SpeakerArrangementsAndMonoFlag) {
  VstSpeakerArrangement one{}, two{}, six{};
  one.numChannels = 1;
  two.numChannels = 2;
  six.numChannels = 6;
  EXPECT_TRUE(fx.setSpeakerArrangement(&two, &two));
  EXPECT_EQ(fx.mono(), 0);
  EXPECT_TRUE(fx.setSpeakerArrangement(&one, &one));
  EXPECT_EQ(fx.mono(), 1);
  EXPECT_FALSE(fx.setSpeakerArrangement(nullptr, &one));
  EXPECT_FALSE(fx.setSpeakerArrangement(&one, nullptr));
  EXPECT_EQ(fx.mono(), 1) << "a null arrangement leaves the flag";
  EXPECT_FALSE(fx.setSpeakerArrangement(&one, &two));
  EXPECT_EQ(fx.mono(), 0);
  EXPECT_FALSE(fx.setSpeakerArrangement(&six, &six));
}

TEST_F(BrindleFxTest, CanDoMatchesWholeStringsOnly) {
  char midi[] = "receiveVstMidiEvent";
  char empty[] = "";
  EXPECT_EQ(fx.canDo(midi), -1);
  EXPECT_EQ(fx.canDo(empty), -1);
  EXPECT_EQ(fx.canDo(nullptr), -1);
  static const char* const list[] = {"bypass", "receiveVstMidiEvent"};
  fx.useCanDoList(list, 2);
  EXPECT_EQ(fx.canDo(midi), 1);
  char prefix[] = "receiveVst";
  EXPECT_EQ(fx.canDo(prefix), -1);
  fx.resume();
  ASSERT_EQ(RecordingHost::calls().size(), 1u);
  EXPECT_EQ(RecordingHost::calls()[0].opcode, audioMasterWantMidi);
}

}  // namespace
