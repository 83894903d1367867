// BrindleFX over a small table: stores, notifications, chunks, arrangements.
// The Quillet table itself is tested through the built plug-ins.
#include "framework/brindle_fx.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "tests/vst/recording_host.h"
#include "vst/aeff_editor.h"

namespace {

using Event = std::pair<std::string, VstInt32>;
std::vector<Event> events;

// Attaches itself to the effect as an editor's constructor does.
class PanelDouble : public AEffEditor {
 public:
  explicit PanelDouble(AudioEffect* effect) : AEffEditor(effect) { effect->setEditor(this); }
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
      params[i].label = i == 2 ? "n/y" : "u";
      params[i].value = 0.25f;
    }
  }
  // As an effect's process entries must: queued reactions first.
  void processReplacing(float**, float**, VstInt32) override { applyPendingChanges(); }
  void processBlock() { processReplacing(nullptr, nullptr, 0); }
  void parameterChanged(VstInt32 index, float value) override {
    events.push_back({"engine", index});
    engineValues.push_back(value);
  }
  std::vector<float> engineValues;
  void sampleRateChanged(float rate) override {
    events.push_back({"rate", static_cast<VstInt32>(rate)});
    EXPECT_EQ(getSampleRate(), rate);
  }
  void useCanDoList(const char* const* list, uint16_t count) {
    canDoList = list;
    canDoCount = count;
  }
  uint8_t mono() const { return monoIO; }
  // What a second thread's store does between landing in the table and
  // reaching the queue.
  void storeInTableOnly(VstInt32 index, float value) { params[index].value = value; }
};

class BrindleFxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    RecordingHost::reset();
  }
  ThreeParamFx fx;
};

TEST_F(BrindleFxTest, StoreClampsTellsEditorAtOnceAndEngineAtTheNextBlock) {
  PanelDouble* panel = new PanelDouble(&fx);
  fx.setParameter(1, 1.5f);
  EXPECT_EQ(fx.getParameter(1), 1.0f);
  EXPECT_EQ(panel->seenValue, 1.0f);
  fx.setParameter(1, -0.2f);
  EXPECT_EQ(fx.getParameter(1), 0.0f);
  EXPECT_EQ(events, (std::vector<Event>{{"editor", 1}, {"editor", 1}}));
  fx.processBlock();
  // Each store's reaction, in order, with the value that store made.
  EXPECT_EQ(events,
            (std::vector<Event>{{"editor", 1}, {"editor", 1}, {"engine", 1}, {"engine", 1}}));
  EXPECT_EQ(fx.engineValues, (std::vector<float>{1.0f, 0.0f}));
  fx.processBlock();
  EXPECT_EQ(events.size(), 4u) << "a reaction runs once";
}

TEST_F(BrindleFxTest, EngineFollowsTheTableWhenStoresRaceEachOther) {
  fx.processBlock();  // the table's first values are what the engine has
  EXPECT_TRUE(events.empty());
  // Two threads store parameter 0 at once: the table keeps 0.7, the queue
  // ends with 0.3.
  fx.storeInTableOnly(0, 0.7f);
  fx.setParameter(0, 0.3f);
  fx.storeInTableOnly(0, 0.7f);
  fx.processBlock();
  EXPECT_EQ(fx.engineValues, (std::vector<float>{0.3f, 0.7f}));
  EXPECT_EQ(fx.getParameter(0), 0.7f);
  fx.processBlock();
  EXPECT_EQ(fx.engineValues.size(), 2u);
}

TEST_F(BrindleFxTest, SetSampleRateAppliesWhatIsQueuedThenTells) {
  fx.setParameter(2, 0.75f);
  fx.setSampleRate(48000.0f);
  EXPECT_EQ(events, (std::vector<Event>{{"engine", 2}, {"rate", 48000}}));
  fx.processBlock();
  EXPECT_EQ(events.size(), 2u);
}

TEST_F(BrindleFxTest, StoresBeyondTheQueueEndOnTheLastValueAndKeepASwitchOn) {
  // A host loading presets while suspended: far more stores than the queue
  // holds before the next block.
  const uint32_t stores = 3 * ParamChangeQueue::kCapacity;
  for (uint32_t i = 0; i < stores; ++i) fx.setParameter(i % 2, (i % 5) / 4.0f);
  fx.setParameter(2, 1.0f);  // the switch turned on, then off, after the queue is full
  fx.setParameter(2, 0.0f);
  fx.setParameter(0, 0.125f);
  events.clear();
  fx.processBlock();
  ASSERT_EQ(fx.engineValues.size(), events.size());
  // The queued ones in order, then each lost parameter once with its last
  // value; the lost switch-on is replayed before its final value.
  const size_t queued = ParamChangeQueue::kCapacity;
  ASSERT_EQ(events.size(), queued + 4);
  for (size_t i = 0; i < queued; ++i) {
    EXPECT_EQ(events[i].second, static_cast<VstInt32>(i % 2));
    EXPECT_EQ(fx.engineValues[i], (i % 5) / 4.0f);
  }
  EXPECT_EQ(std::vector<Event>(events.begin() + queued, events.end()),
            (std::vector<Event>{{"engine", 0}, {"engine", 1}, {"engine", 2}, {"engine", 2}}));
  EXPECT_EQ(std::vector<float>(fx.engineValues.begin() + queued, fx.engineValues.end()),
            (std::vector<float>{0.125f, fx.getParameter(1), 1.0f, 0.0f}));
  // Nothing is left over, and the queue takes stores again.
  events.clear();
  fx.engineValues.clear();
  fx.processBlock();
  EXPECT_TRUE(events.empty());
  fx.setParameter(1, 0.5f);
  fx.processBlock();
  EXPECT_EQ(fx.engineValues, (std::vector<float>{0.5f}));
}

TEST_F(BrindleFxTest, SetChunkRestoresInIndexOrderWithClamping) {
  const float values[4] = {1.7f, std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.9f};
  PanelDouble* panel = new PanelDouble(&fx);
  EXPECT_EQ(fx.setChunk(const_cast<float*>(values), sizeof(values), false), 0);
  EXPECT_EQ(fx.getParameter(0), 1.0f);
  EXPECT_EQ(fx.getParameter(1), 0.25f) << "NaN leaves the value as it was";
  EXPECT_EQ(fx.getParameter(2), 0.5f);
  EXPECT_EQ(panel->seenValue, 0.5f);
  EXPECT_EQ(events, (std::vector<Event>{{"editor", 0}, {"editor", 2}}));
  fx.processBlock();
  EXPECT_EQ(events,
            (std::vector<Event>{{"editor", 0}, {"editor", 2}, {"engine", 0}, {"engine", 2}}));
  EXPECT_EQ(fx.engineValues, (std::vector<float>{1.0f, 0.5f}));
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
