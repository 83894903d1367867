// BrindleFX as the VST 2.4 adapter over the core: every store reaches the
// editor at once with the stored value, chunks keep the VST 2.4 rules,
// arrangements set the core's mono flag, and the display is float2string's.
// The store, state and texts themselves are tested on the core (tests/core);
// the Quillet table through the built plug-ins (tests/plugin).
#include "vst/brindle_fx.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/param_text.h"
#include "tests/vst/recording_host.h"
#include "vst/aeff_editor.h"
#include "vst/value_format.h"

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
    // The editor reads the stored value back, as the panel does.
    readBack = effect->getParameter(index);
  }
  float seenValue = -1.0f;
  float readBack = -1.0f;
};

class AdapterFx : public BrindleFX {
 public:
  AdapterFx() : BrindleFX(RecordingHost::callback) {}
  void processReplacing(float**, float**, VstInt32) override {}
  void parameterChanged(VstInt32 index, float) override { events.push_back({"changed", index}); }
  void sampleRateChanged(float rate) override {
    events.push_back({"rate", static_cast<VstInt32>(rate)});
    EXPECT_EQ(getSampleRate(), rate);
    EXPECT_EQ(core->sampleRate(), rate);
  }
  void useCanDoList(const char* const* list, uint16_t count) {
    canDoList = list;
    canDoCount = count;
  }
  bool mono() const { return core->monoIO(); }
};

class BrindleFxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    RecordingHost::reset();
  }
  AdapterFx fx;
};

TEST_F(BrindleFxTest, StoreClampsAndTellsTheEditorAtOnce) {
  ASSERT_TRUE(fx.isUsable());
  PanelDouble* panel = new PanelDouble(&fx);
  fx.setParameter(1, 1.5f);
  EXPECT_EQ(fx.getParameter(1), 1.0f);
  EXPECT_EQ(panel->seenValue, 1.0f);
  EXPECT_EQ(panel->readBack, 1.0f);
  fx.setParameter(1, -0.2f);
  EXPECT_EQ(fx.getParameter(1), 0.0f);
  fx.setParameter(11, 0.5f);
  fx.setParameter(-1, 0.5f);
  fx.setParameter(2, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(fx.getParameter(11), 0.0f);
  EXPECT_EQ(fx.getParameter(2), 0.0f);
  EXPECT_EQ(events,
            (std::vector<Event>{{"changed", 1}, {"editor", 1}, {"changed", 1}, {"editor", 1}}));
}

TEST_F(BrindleFxTest, SetSampleRateGivesTheCoreTheRateThenTells) {
  fx.setSampleRate(48000.0f);
  EXPECT_EQ(events, (std::vector<Event>{{"rate", 48000}}));
}

TEST_F(BrindleFxTest, SetChunkRestoresInIndexOrderWithClamping) {
  float values[11] = {
      1.7f, std::numeric_limits<float>::quiet_NaN(), 0.5f, 0.9f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f,
      0.0f};
  PanelDouble* panel = new PanelDouble(&fx);
  fx.setParameter(1, 0.25f);
  events.clear();
  EXPECT_EQ(fx.setChunk(values, 43, false), 0);
  EXPECT_EQ(fx.setChunk(nullptr, 44, true), 0);
  EXPECT_TRUE(events.empty()) << "a short or missing chunk is not ours";
  EXPECT_EQ(fx.setChunk(values, sizeof(values), false), 0);
  EXPECT_EQ(fx.getParameter(0), 1.0f);
  EXPECT_EQ(fx.getParameter(1), 0.25f) << "NaN leaves the value as it was";
  EXPECT_EQ(fx.getParameter(2), 0.5f);
  EXPECT_EQ(panel->seenValue, 0.0f);
  ASSERT_EQ(events.size(), 20u) << "ten stores, each told at once";
  EXPECT_EQ(events[0], Event("changed", 0));
  EXPECT_EQ(events[1], Event("editor", 0));
  EXPECT_EQ(events[2], Event("changed", 2));
  EXPECT_EQ(events[19], Event("editor", 10));
}

TEST_F(BrindleFxTest, GetChunkHandsOutOneBufferWithTheStoredValues) {
  void* first = nullptr;
  EXPECT_EQ(fx.getChunk(&first, false), 44);
  fx.setParameter(0, 0.75f);
  void* second = nullptr;
  EXPECT_EQ(fx.getChunk(&second, true), 44);
  EXPECT_EQ(first, second);
  float delay;
  std::memcpy(&delay, second, sizeof delay);
  EXPECT_EQ(delay, 0.75f);
  EXPECT_EQ(fx.getChunk(nullptr, false), 0);
}

TEST_F(BrindleFxTest, SpeakerArrangementsAndMonoFlag) {
  VstSpeakerArrangement one{}, two{}, six{};
  one.numChannels = 1;
  two.numChannels = 2;
  six.numChannels = 6;
  EXPECT_TRUE(fx.setSpeakerArrangement(&two, &two));
  EXPECT_FALSE(fx.mono());
  EXPECT_TRUE(fx.setSpeakerArrangement(&one, &one));
  EXPECT_TRUE(fx.mono());
  EXPECT_FALSE(fx.setSpeakerArrangement(nullptr, &one));
  EXPECT_FALSE(fx.setSpeakerArrangement(&one, nullptr));
  EXPECT_TRUE(fx.mono()) << "a null arrangement leaves the flag";
  EXPECT_FALSE(fx.setSpeakerArrangement(&one, &two));
  EXPECT_FALSE(fx.mono());
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

TEST_F(BrindleFxTest, NamesLabelsAndTheDisplayOfTheTable) {
  char text[16];
  std::memset(text, '#', sizeof text);
  fx.getParameterName(8, text);
  EXPECT_STREQ(text, "Mono Out");
  fx.getParameterLabel(8, text);
  EXPECT_STREQ(text, "n/y");
  fx.getParameterDisplay(6, text);
  EXPECT_STREQ(text, "0.500000");
  std::memset(text, '#', sizeof text);
  fx.getParameterName(11, text);
  fx.getParameterDisplay(-1, text);
  EXPECT_EQ(text[0], '#') << "an index outside the table leaves the text";
}

// The core's VST 2.4 text, which the newer formats may show, is the text this
// edition shows with float2string, for every value the store can hold.
TEST(Vst24Text, CoreTextIsFloat2string) {
  std::mt19937 gen(2);
  std::uniform_int_distribution<uint32_t> bits(0, 0x3f800000u);  // every float in 0..1
  for (int n = 0; n < 200000; ++n) {
    uint32_t b = n < 65537 ? static_cast<uint32_t>(n) * 0x3f80u : bits(gen);
    if (n == 65536) b = 0x3f800000u;
    float v;
    std::memcpy(&v, &b, sizeof v);
    char ours[16], theirs[16];
    ASSERT_TRUE(quillet::core::formatVst24Text(v, ours, sizeof ours));
    quillet::vst::float2string(v, theirs, kVstMaxParamStrLen);
    ASSERT_STREQ(ours, theirs) << v;
  }
}

}  // namespace
