// AudioEffect: the record, the entries, opcodes 0 to 24 and the basic host requests.
#include "vst/audio_effect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/vst/recording_host.h"
#include "tests/vst/test_effect.h"

int TestEffect::alive = 0;

namespace {

using Seen = std::vector<std::string>;

class AudioEffectTest : public ::testing::Test {
 protected:
  void SetUp() override { RecordingHost::reset(); }
  void TearDown() override {
    if (effect) dispatchEffectClass(record(), effClose, 0, 0, nullptr, 0.0f);
  }
  AEffect* record() { return effect->getAeffect(); }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return record()->dispatcher(record(), opcode, index, value, ptr, opt);
  }
  TestEffect* effect = new TestEffect(RecordingHost::callback);
};

TEST_F(AudioEffectTest, RecordOfAnEffectThatSetsNothing) {
  const AEffect& r = *record();
  EXPECT_EQ(r.magic, 0x56737450);
  EXPECT_EQ(r.uniqueID, fourCharCode('N', 'o', 'E', 'f'));
  EXPECT_EQ(r.version, 1);
  EXPECT_EQ(r.numInputs, 1);
  EXPECT_EQ(r.numOutputs, 2);
  EXPECT_EQ(r.flags, 16);
  EXPECT_EQ(r.ioRatio, 1.0f);
  EXPECT_EQ(r.numPrograms, 0);
  EXPECT_EQ(r.numParams, 0);
  EXPECT_EQ(r.initialDelay, 0);
  EXPECT_EQ(r.object, effect);
  EXPECT_EQ(r.user, nullptr);
  EXPECT_EQ(r.resvd1, 0);
  EXPECT_EQ(r.resvd2, 0);
  for (char byte : r.future) EXPECT_EQ(byte, 0);
  EXPECT_EQ(r.dispatcher, dispatchEffectClass);
  EXPECT_EQ(r.processReplacing, processClassReplacing);
  EXPECT_EQ(effect->getSampleRate(), 44100.0f);
  EXPECT_EQ(effect->getBlockSize(), 1024);
  EXPECT_TRUE(RecordingHost::calls().empty()) << "the constructor calls no host function";
}

TEST_F(AudioEffectTest, FlagSettersTouchOnlyTheirBit) {
  effect->canDoubleReplacing(true);
  effect->programsAreChunks(true);
  effect->hasVu(true);
  EXPECT_EQ(record()->flags, 16 | 4096 | 32 | 4);
  effect->canProcessReplacing(false);
  effect->hasVu(false);
  EXPECT_EQ(record()->flags, 4096 | 32);
}

TEST_F(AudioEffectTest, IdentifyAnswersNvEf) {
  EXPECT_EQ(dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
  EXPECT_EQ(dispatch(effIdentify, 5, 9, &effect, 1.5f), fourCharCode('N', 'v', 'E', 'f'));
}

TEST_F(AudioEffectTest, CloseRunsCloseThenDestroysAndAnswersOne) {
  const int before = TestEffect::alive;
  EXPECT_EQ(dispatch(effClose), 1);
  EXPECT_EQ(TestEffect::alive, before - 1);
  effect = nullptr;
}

TEST_F(AudioEffectTest, CloseSeenByTheEffectBeforeDestruction) {
  EXPECT_EQ(effect->dispatcher(effClose, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(effect->seen, Seen{"close"});
}

TEST_F(AudioEffectTest, MainsChangedSuspendsOnZeroAndResumesOtherwise) {
  dispatch(effMainsChanged, 0, 0);
  dispatch(effMainsChanged, 0, 1);
  dispatch(effMainsChanged, 0, 7);
  EXPECT_EQ(effect->seen, (Seen{"suspend", "resume", "canDo receiveVstMidiEvent", "resume",
                                "canDo receiveVstMidiEvent"}));
}

TEST_F(AudioEffectTest, SetProgramChecksTheUpperBoundOnly) {
  dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(effect->curProgram, 0);
  EXPECT_TRUE(effect->seen.empty());
  TestEffect withPrograms(RecordingHost::callback, 4, 0);
  withPrograms.dispatcher(effSetProgram, 0, 3, nullptr, 0.0f);
  EXPECT_EQ(withPrograms.dispatcher(effGetProgram, 0, 0, nullptr, 0.0f), 3);
  withPrograms.dispatcher(effSetProgram, 0, 4, nullptr, 0.0f);
  withPrograms.dispatcher(effSetProgram, 0, VstIntPtr(1) << 40, nullptr, 0.0f);
  EXPECT_EQ(withPrograms.curProgram, 3);
}

TEST_F(AudioEffectTest, ChunkOpcodesPassPresetFlagAndSize) {
  void* data = &data;
  EXPECT_EQ(dispatch(effGetChunk, 0, 0, &data), 7);
  EXPECT_EQ(dispatch(effGetChunk, 3, 0, &data), 7);
  EXPECT_EQ(dispatch(effSetChunk, 0, 44, &data), 44);
  EXPECT_EQ(dispatch(effSetChunk, 1, 12, &data), 12);
  EXPECT_EQ(effect->seen,
            (Seen{"getChunk bank", "getChunk program", "setChunk bank", "setChunk program"}));
}

TEST_F(AudioEffectTest, SampleRateAndBlockSizeReachTheEffect) {
  dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  dispatch(effSetBlockSize, 0, 256);
  EXPECT_EQ(effect->getSampleRate(), 48000.0f);
  EXPECT_EQ(effect->getBlockSize(), 256);
}

TEST_F(AudioEffectTest, DeprecatedAndUnknownOpcodesAnswerZeroAndCallNothing) {
  for (int withEditor = 0; withEditor < 2; ++withEditor) {
    if (withEditor) new FakeEditor(effect);
    for (VstInt32 opcode : {9, 16, 17, 18, 20, 21, 80, 1000, -1, -100}) {
      EXPECT_EQ(dispatch(opcode, 1, 1, nullptr, 1.0f), 0) << opcode;
    }
    EXPECT_TRUE(effect->seen.empty());
  }
  EXPECT_EQ(static_cast<FakeEditor*>(effect->getEditor())->idles, 0);
  EXPECT_TRUE(RecordingHost::calls().empty());
}

TEST_F(AudioEffectTest, EditorOpcodesWithoutEditorAnswerZero) {
  ERect* rect = nullptr;
  EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(dispatch(effEditOpen, 0, 0, &rect), 0);
  EXPECT_EQ(dispatch(effEditClose), 0);
  EXPECT_EQ(dispatch(effEditIdle), 0);
  EXPECT_EQ(rect, nullptr);
}

TEST_F(AudioEffectTest, EditorOpcodesReachTheEditor) {
  FakeEditor* editor = new FakeEditor(effect);
  EXPECT_EQ(record()->flags & effFlagsHasEditor, effFlagsHasEditor);
  ERect* rect = nullptr;
  EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect, &editor->area);
  EXPECT_EQ(dispatch(effEditGetRect, 0, 0, nullptr), 0) << "null pointer from the host";
  int parent = 0;
  EXPECT_EQ(dispatch(effEditOpen, 0, 0, &parent), 1);
  EXPECT_TRUE(editor->isOpen());
  dispatch(effEditIdle);
  EXPECT_EQ(editor->idles, 1);
  EXPECT_EQ(dispatch(effEditClose), 0);
  EXPECT_FALSE(editor->isOpen());
}

TEST_F(AudioEffectTest, NullTextsFromTheHostAreIgnored) {
  for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel,
                          effGetParamDisplay, effGetParamName, effGetChunk}) {
    EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0) << opcode;
  }
  char text[4] = {'x', 'x', 'x', 'x'};
  dispatch(effGetParamName, 0, 0, text);
  EXPECT_EQ(text[0], '\0');
}

TEST_F(AudioEffectTest, EntriesForwardToTheObject) {
  record()->processReplacing(record(), nullptr, nullptr, 0);
  EXPECT_EQ(effect->seen, Seen{"processReplacing"});
  EXPECT_EQ(record()->getParameter(record(), 3), 0.0f);
}

TEST_F(AudioEffectTest, HostRequests) {
  RecordingHost::answers()[audioMasterVersion] = 2400;
  RecordingHost::answers()[audioMasterCurrentId] = 1234;
  RecordingHost::answers()[audioMasterPinConnected] = 1;
  effect->setParameterAutomated(4, 0.25f);
  EXPECT_EQ(effect->getMasterVersion(), 2400);
  EXPECT_EQ(effect->getCurrentUniqueId(), 1234);
  effect->masterIdle();
  EXPECT_FALSE(effect->isInputConnected(3));
  EXPECT_FALSE(effect->isOutputConnected(5));
  const auto& calls = RecordingHost::calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0].opcode, audioMasterAutomate);
  EXPECT_EQ(calls[0].index, 4);
  EXPECT_EQ(calls[0].opt, 0.25f);
  EXPECT_EQ(calls[1].opcode, audioMasterVersion);
  EXPECT_EQ(calls[2].opcode, audioMasterCurrentId);
  EXPECT_EQ(calls[3].opcode, audioMasterIdle);
  EXPECT_EQ(calls[4].opcode, audioMasterPinConnected);
  EXPECT_EQ(calls[4].index, 3);
  EXPECT_EQ(calls[4].value, 0);
  EXPECT_EQ(calls[5].index, 5);
  EXPECT_EQ(calls[5].value, 1);
  for (const HostCall& c : calls) EXPECT_EQ(c.effect, record());

  RecordingHost::answers()[audioMasterVersion] = 0;
  RecordingHost::answers()[audioMasterPinConnected] = 0;
  EXPECT_EQ(effect->getMasterVersion(), 1) << "an answer of 0 counts as 1";
  EXPECT_TRUE(effect->isInputConnected(0));
}

TEST(AudioEffectWithoutHost, RequestsSendNothingAndAnswerNeutrally) {
  TestEffect effect(nullptr);
  EXPECT_EQ(effect.getMasterVersion(), 1);
  EXPECT_EQ(effect.getCurrentUniqueId(), 0);
  effect.masterIdle();
  EXPECT_TRUE(effect.isInputConnected(0));
  EXPECT_TRUE(effect.isOutputConnected(0));
  effect.setParameterAutomated(0, 0.5f);
}

// dB2string, Hz2string and ms2string go through the virtual float2string and
// the virtual getSampleRate.
class CountingFormatter : public TestEffect {
 public:
  CountingFormatter() : TestEffect(nullptr) {}
  void float2string(float value, char* text, VstInt32 maxLen) override {
    last = value;
    TestEffect::float2string(value, text, maxLen);
  }
  float getSampleRate() override { return 1000.0f; }
  float last = -1.0f;
};

TEST(AudioEffectFormatters, GoThroughVirtualOperations) {
  CountingFormatter effect;
  char text[9];
  effect.Hz2string(100.0f, text, 8);
  EXPECT_EQ(effect.last, 10.0f);
  EXPECT_STREQ(text, "10.00000");
  effect.ms2string(250.0f, text, 8);
  EXPECT_EQ(effect.last, 250.0f);
  effect.dB2string(10.0f, text, 8);
  EXPECT_EQ(effect.last, 20.0f);
  effect.last = -1.0f;
  effect.dB2string(0.0f, text, 8);
  EXPECT_EQ(effect.last, -1.0f);
  EXPECT_STREQ(text, "-oo");
}

TEST(AudioEffectFormatters, UseTheEffectsSampleRate) {
  TestEffect effect(nullptr);
  char text[9];
  effect.Hz2string(100.0f, text, 8);
  EXPECT_STREQ(text, "441.0000");
  effect.ms2string(44100.0f, text, 8);
  EXPECT_STREQ(text, "1000.000");
  effect.setSampleRate(0.0f);
  effect.ms2string(441.0f, text, 8);
  EXPECT_STREQ(text, "Huge!");
  effect.int2string(-45, text, 8);
  EXPECT_STREQ(text, "-45");
}

}  // namespace
