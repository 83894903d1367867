// AudioEffectX: opcodes 25 to 79, the requests to the host, resume and the
// speaker-arrangement helpers.
#include "vst/audio_effect_x.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "tests/vst/recording_host.h"
#include "tests/vst/test_effect.h"

namespace {

class AudioEffectXTest : public ::testing::Test {
 protected:
  void SetUp() override { RecordingHost::reset(); }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return effect.dispatcher(opcode, index, value, ptr, opt);
  }
  TestEffect effect{RecordingHost::callback};
};

TEST_F(AudioEffectXTest, DefaultAnswers) {
  char text[80] = "untouched";
  const struct {
    VstInt32 opcode, index;
    VstIntPtr value;
    VstIntPtr answer;
  } cases[] = {
      {effProcessEvents, 0, 0, 0},
      {effCanBeAutomated, 0, 0, 1},
      {effCanBeAutomated, 999, 0, 1},
      {effCanBeAutomated, -5, 0, 1},
      {effString2Parameter, 0, 0, 0},
      {effGetProgramNameIndexed, 0, 0, 0},
      {effGetPlugCategory, 0, 0, 0},
      {effSetBypass, 0, 1, 0},
      {effSetBypass, 0, 0, 0},
      {effGetEffectName, 0, 0, 0},
      {effGetVendorString, 0, 0, 0},
      {effGetProductString, 0, 0, 0},
      {effGetVendorVersion, 0, 0, 0},
      {effVendorSpecific, 1, 2, 0},
      {effGetTailSize, 0, 0, 0},
      {effGetVstVersion, 0, 0, 2400},
      {effGetMidiProgramName, 0, 0, 0},
      {effGetCurrentMidiProgram, 0, 0, -1},
      {effGetMidiProgramCategory, 0, 0, 0},
      {effHasMidiProgramsChanged, 0, 0, 0},
      {effGetMidiKeyName, 0, 0, 0},
      {effBeginSetProgram, 0, 0, 0},
      {effEndSetProgram, 0, 0, 0},
      {effShellGetNextPlugin, 0, 0, 0},
      {effStartProcess, 0, 0, 0},
      {effStopProcess, 0, 0, 0},
      {effSetTotalSampleToProcess, 0, 4096, 4096},
      {effSetPanLaw, 0, 0, 0},
      {effBeginLoadBank, 0, 0, 0},
      {effBeginLoadProgram, 0, 0, 0},
      {effSetProcessPrecision, 0, 1, 0},
      {effGetNumMidiInputChannels, 0, 0, 0},
      {effGetNumMidiOutputChannels, 0, 0, 0},
      {effOfflineNotify, 0, 0, 0},
      {effOfflinePrepare, 0, 0, 0},
      {effOfflineRun, 0, 0, 0},
      {effProcessVarIo, 0, 0, 0},
      {effGetInputProperties, 0, 0, 0},
      {effGetOutputProperties, 0, 0, 0},
      {effGetParameterProperties, 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dispatch(c.opcode, c.index, c.value, text), c.answer) << c.opcode;
  }
  EXPECT_STREQ(text, "untouched");
  EXPECT_TRUE(RecordingHost::calls().empty());
}

TEST_F(AudioEffectXTest, SynthCategory) {
  effect.isSynth(true);
  EXPECT_EQ(dispatch(effGetPlugCategory), kPlugCategSynth);
  EXPECT_EQ(effect.getAeffect()->flags, 16 | 256);
}

TEST_F(AudioEffectXTest, PassedOnOpcodesAnswerZeroAndCallNothing) {
  new FakeEditor(&effect);
  for (VstInt32 opcode : {28, 30, 31, 32, 36, 37, 43, 46, 53, 54, 55, 57}) {
    EXPECT_EQ(dispatch(opcode, 1, 64, nullptr, 96000.0f), 0) << opcode;
  }
  EXPECT_TRUE(effect.seen.empty());
  EXPECT_EQ(effect.getSampleRate(), 44100.0f) << "effSetBlockSizeAndSampleRate is ignored";
  EXPECT_EQ(effect.getBlockSize(), 1024);
  EXPECT_TRUE(RecordingHost::calls().empty());
}

TEST_F(AudioEffectXTest, GetSpeakerArrangementWritesNullToBoth) {
  VstSpeakerArrangement dummy{};
  VstSpeakerArrangement* in = &dummy;
  VstSpeakerArrangement* out = &dummy;
  EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 0);
  EXPECT_EQ(in, nullptr);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0) << "null pointers are ignored";
}

TEST_F(AudioEffectXTest, DefaultSpeakerArrangementMatchesTheRecord) {
  VstSpeakerArrangement in{}, out{};
  in.numChannels = 1;
  out.numChannels = 2;
  auto set = [&](VstSpeakerArrangement* i, VstSpeakerArrangement* o) {
    return dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(i), o);
  };
  EXPECT_EQ(set(&in, &out), 1);
  EXPECT_EQ(set(&out, &out), 0);
  EXPECT_EQ(set(nullptr, &out), 0);
}

TEST_F(AudioEffectXTest, KeyOpcodesBuildTheKeyCode) {
  EXPECT_EQ(dispatch(effEditKeyDown, 65, 3, nullptr, 2.0f), 0) << "no editor";
  EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 0);
  FakeEditor* editor = new FakeEditor(&effect);
  EXPECT_EQ(dispatch(effEditKeyDown, 65, 3, nullptr, 2.0f), 1);
  EXPECT_EQ(editor->lastKey.character, 65);
  EXPECT_EQ(editor->lastKey.virt, 3);
  EXPECT_EQ(editor->lastKey.modifier, 2);
  EXPECT_EQ(dispatch(effEditKeyUp, 66, 0x10d, nullptr, 9.9f), 0);
  EXPECT_EQ(editor->lastKey.character, 66);
  EXPECT_EQ(editor->lastKey.virt, 0x0d) << "low 8 bits of value";
  EXPECT_EQ(editor->lastKey.modifier, 9) << "opt truncated toward zero";
  EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 1);
  EXPECT_EQ(editor->knobMode, 2);
  EXPECT_EQ(editor->keyDowns, 1);
  EXPECT_EQ(editor->keyUps, 1);
}

TEST_F(AudioEffectXTest, KeyModifierNoIntegerHoldsCountsAsNone) {
  FakeEditor* editor = new FakeEditor(&effect);
  const float inf = std::numeric_limits<float>::infinity();
  for (float opt : {std::nanf(""), inf, -inf, 1e10f, -1e10f, 2147483648.0f}) {
    editor->lastKey.modifier = 77;
    dispatch(effEditKeyDown, 65, 3, nullptr, opt);
    EXPECT_EQ(editor->lastKey.modifier, 0) << opt;
    editor->lastKey.modifier = 77;
    dispatch(effEditKeyUp, 65, 3, nullptr, opt);
    EXPECT_EQ(editor->lastKey.modifier, 0) << opt;
  }
  // The ends of the range still convert: -2^31 has low byte 0, 2^31 - 128 has 0x80.
  dispatch(effEditKeyDown, 65, 3, nullptr, 2147483520.0f);
  EXPECT_EQ(editor->lastKey.modifier, 0x80);
  dispatch(effEditKeyDown, 65, 3, nullptr, -1.5f);
  EXPECT_EQ(editor->lastKey.modifier, 0xff) << "-1, truncated toward zero";
}

TEST_F(AudioEffectXTest, ResumeAsksForMidiOnlyWhenItWantsIt) {
  effect.resume();
  EXPECT_TRUE(RecordingHost::calls().empty());
  effect.canDoAnswer = 1;
  effect.resume();
  ASSERT_EQ(RecordingHost::calls().size(), 1u);
  EXPECT_EQ(RecordingHost::calls()[0].opcode, audioMasterWantMidi);
  EXPECT_EQ(RecordingHost::calls()[0].value, 1);

  RecordingHost::reset();
  TestEffect synth(RecordingHost::callback);
  synth.isSynth(true);
  synth.canDoAnswer = -1;
  synth.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
  ASSERT_EQ(RecordingHost::calls().size(), 1u);
  EXPECT_EQ(RecordingHost::calls()[0].opcode, audioMasterWantMidi);
  EXPECT_EQ(RecordingHost::calls()[0].value, 1);
  EXPECT_EQ(synth.seen, std::vector<std::string>{"resume"}) << "a synth does not ask canDo";
}

TEST_F(AudioEffectXTest, UpdateSampleRateAndBlockSizeTrustOnlyPositiveAnswers) {
  RecordingHost::answers()[audioMasterGetSampleRate] = 48000;
  RecordingHost::answers()[audioMasterGetBlockSize] = 512;
  EXPECT_EQ(effect.updateSampleRate(), 48000.0);
  EXPECT_EQ(effect.sampleRate, 48000.0f);
  EXPECT_EQ(effect.updateBlockSize(), 512);
  RecordingHost::answers()[audioMasterGetSampleRate] = 0;
  RecordingHost::answers()[audioMasterGetBlockSize] = -3;
  EXPECT_EQ(effect.updateSampleRate(), 48000.0);
  EXPECT_EQ(effect.updateBlockSize(), 512);
  EXPECT_TRUE(effect.seen.empty()) << "neither calls setSampleRate nor setBlockSize";
}

// Each request: the opcode it sends, the arguments, what it makes of a host
// answering 5, and its answer without a host.
TEST_F(AudioEffectXTest, HostRequests) {
  int object = 0;
  void* p = &object;
  char text[8] = "text";
  auto b = [](bool x) { return static_cast<VstIntPtr>(x); };
  auto ip = [](const void* x) { return reinterpret_cast<VstIntPtr>(x); };
  using Request = std::function<VstIntPtr(AudioEffectX&)>;
  const struct {
    const char* name;
    Request call;
    VstInt32 opcode, index;
    VstIntPtr value;
    void* ptr;
    VstIntPtr withHost, withoutHost;
  } cases[] = {
      {"getTimeInfo", [&](AudioEffectX& e) { return ip(e.getTimeInfo(1024)); }, audioMasterGetTime,
       0, 1024, nullptr, 5, 0},
      {"tempoAt", [&](AudioEffectX& e) { return VstIntPtr(e.tempoAt(77)); }, audioMasterTempoAt, 0,
       77, nullptr, 5, 0},
      {"getNumAutomatableParameters",
       [&](AudioEffectX& e) { return VstIntPtr(e.getNumAutomatableParameters()); },
       audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 5, 0},
      {"getParameterQuantization",
       [&](AudioEffectX& e) { return VstIntPtr(e.getParameterQuantization()); },
       audioMasterGetParameterQuantization, 0, 0, nullptr, 5, 0},
      {"ioChanged", [&](AudioEffectX& e) { return b(e.ioChanged()); }, audioMasterIOChanged, 0, 0,
       nullptr, 1, 0},
      {"needIdle", [&](AudioEffectX& e) { return b(e.needIdle()); }, audioMasterNeedIdle, 0, 0,
       nullptr, 1, 0},
      {"sizeWindow", [&](AudioEffectX& e) { return b(e.sizeWindow(586, 385)); },
       audioMasterSizeWindow, 586, 385, nullptr, 1, 0},
      {"getInputLatency", [&](AudioEffectX& e) { return VstIntPtr(e.getInputLatency()); },
       audioMasterGetInputLatency, 0, 0, nullptr, 5, 0},
      {"getOutputLatency", [&](AudioEffectX& e) { return VstIntPtr(e.getOutputLatency()); },
       audioMasterGetOutputLatency, 0, 0, nullptr, 5, 0},
      {"getPreviousPlug", [&](AudioEffectX& e) { return ip(e.getPreviousPlug(3)); },
       audioMasterGetPreviousPlug, 0, 0, nullptr, 5, 0},
      {"getNextPlug", [&](AudioEffectX& e) { return ip(e.getNextPlug(3)); }, audioMasterGetNextPlug,
       0, 0, nullptr, 5, 0},
      {"willProcessReplacing", [&](AudioEffectX& e) { return VstIntPtr(e.willProcessReplacing()); },
       audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 5, 0},
      {"getCurrentProcessLevel",
       [&](AudioEffectX& e) { return VstIntPtr(e.getCurrentProcessLevel()); },
       audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 5, 0},
      {"getAutomationState", [&](AudioEffectX& e) { return VstIntPtr(e.getAutomationState()); },
       audioMasterGetAutomationState, 0, 0, nullptr, 5, 0},
      {"offlineStart",
       [&](AudioEffectX& e) { return b(e.offlineStart(static_cast<VstAudioFile*>(p), 4, 2)); },
       audioMasterOfflineStart, 2, 4, p, 1, 0},
      {"offlineRead",
       [&](AudioEffectX& e) { return b(e.offlineRead(static_cast<VstOfflineTask*>(p), 6, true)); },
       audioMasterOfflineRead, 1, 6, p, 1, 0},
      {"offlineWrite",
       [&](AudioEffectX& e) { return b(e.offlineWrite(static_cast<VstOfflineTask*>(p), 6)); },
       audioMasterOfflineWrite, 0, 6, p, 1, 0},
      {"offlineGetCurrentPass",
       [&](AudioEffectX& e) { return VstIntPtr(e.offlineGetCurrentPass()); },
       audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 1, 0},
      {"offlineGetCurrentMetaPass",
       [&](AudioEffectX& e) { return VstIntPtr(e.offlineGetCurrentMetaPass()); },
       audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 1, 0},
      {"getOutputSpeakerArrangement",
       [&](AudioEffectX& e) { return ip(e.getOutputSpeakerArrangement()); },
       audioMasterGetOutputSpeakerArrangement, 0, 0, nullptr, 5, 0},
      {"getHostVendorString", [&](AudioEffectX& e) { return b(e.getHostVendorString(text)); },
       audioMasterGetVendorString, 0, 0, text, 1, 0},
      {"getHostProductString", [&](AudioEffectX& e) { return b(e.getHostProductString(text)); },
       audioMasterGetProductString, 0, 0, text, 1, 0},
      {"getHostVendorVersion", [&](AudioEffectX& e) { return VstIntPtr(e.getHostVendorVersion()); },
       audioMasterGetVendorVersion, 0, 0, nullptr, 5, 0},
      {"hostVendorSpecific", [&](AudioEffectX& e) { return e.hostVendorSpecific(7, 8, p, 0.5f); },
       audioMasterVendorSpecific, 7, 8, p, 5, 0},
      {"canHostDo", [&](AudioEffectX& e) { return VstIntPtr(e.canHostDo(text)); }, audioMasterCanDo,
       0, 0, text, 1, 0},
      {"getHostLanguage", [&](AudioEffectX& e) { return VstIntPtr(e.getHostLanguage()); },
       audioMasterGetLanguage, 0, 0, nullptr, 5, 0},
      {"openWindow", [&](AudioEffectX& e) { return ip(e.openWindow(static_cast<VstWindow*>(p))); },
       audioMasterOpenWindow, 0, 0, p, 5, 0},
      {"closeWindow", [&](AudioEffectX& e) { return b(e.closeWindow(static_cast<VstWindow*>(p))); },
       audioMasterCloseWindow, 0, 0, p, 1, 0},
      {"getDirectory", [&](AudioEffectX& e) { return ip(e.getDirectory()); },
       audioMasterGetDirectory, 0, 0, nullptr, 5, 0},
      {"updateDisplay", [&](AudioEffectX& e) { return b(e.updateDisplay()); },
       audioMasterUpdateDisplay, 0, 0, nullptr, 1, 0},
      {"beginEdit", [&](AudioEffectX& e) { return b(e.beginEdit(6)); }, audioMasterBeginEdit, 6, 0,
       nullptr, 1, 0},
      {"endEdit", [&](AudioEffectX& e) { return b(e.endEdit(6)); }, audioMasterEndEdit, 6, 0,
       nullptr, 1, 0},
      {"openFileSelector",
       [&](AudioEffectX& e) { return b(e.openFileSelector(static_cast<VstFileSelect*>(p))); },
       audioMasterOpenFileSelector, 0, 0, p, 1, 0},
      {"closeFileSelector",
       [&](AudioEffectX& e) { return b(e.closeFileSelector(static_cast<VstFileSelect*>(p))); },
       audioMasterCloseFileSelector, 0, 0, p, 1, 0},
      {"getChunkFile", [&](AudioEffectX& e) { return b(e.getChunkFile(p)); },
       audioMasterGetChunkFile, 0, 0, p, 1, 0},
      {"getInputSpeakerArrangement",
       [&](AudioEffectX& e) { return ip(e.getInputSpeakerArrangement()); },
       audioMasterGetInputSpeakerArrangement, 0, 0, nullptr, 5, 0},
  };
  TestEffect hostless(nullptr);
  for (const auto& c : cases) {
    RecordingHost::reset();
    RecordingHost::answers()[c.opcode] = 5;
    EXPECT_EQ(c.call(effect), c.withHost) << c.name;
    ASSERT_EQ(RecordingHost::calls().size(), 1u) << c.name;
    const HostCall& sent = RecordingHost::calls()[0];
    EXPECT_EQ(sent.effect, effect.getAeffect()) << c.name;
    EXPECT_EQ(sent.opcode, c.opcode) << c.name;
    EXPECT_EQ(sent.index, c.index) << c.name;
    EXPECT_EQ(sent.value, c.value) << c.name;
    EXPECT_EQ(sent.ptr, c.ptr) << c.name;
    EXPECT_EQ(c.call(hostless), c.withoutHost) << c.name;
  }
}

TEST_F(AudioEffectXTest, RequestsWithOptAndNullArguments) {
  effect.setOutputSamplerate(96000.0f);
  effect.hostVendorSpecific(0, 0, nullptr, 0.75f);
  ASSERT_EQ(RecordingHost::calls().size(), 2u);
  EXPECT_EQ(RecordingHost::calls()[0].opcode, audioMasterSetOutputSampleRate);
  EXPECT_EQ(RecordingHost::calls()[0].opt, 96000.0f);
  EXPECT_EQ(RecordingHost::calls()[1].opt, 0.75f);
  RecordingHost::reset();
  RecordingHost::answers()[audioMasterOpenFileSelector] = 1;
  EXPECT_FALSE(effect.openFileSelector(nullptr));
  EXPECT_FALSE(effect.closeFileSelector(nullptr));
  EXPECT_FALSE(effect.getChunkFile(nullptr));
  effect.wantEvents(1);
  ASSERT_EQ(RecordingHost::calls().size(), 1u) << "only wantEvents reached the host";
  TestEffect hostless(nullptr);
  hostless.wantEvents(1);
  EXPECT_EQ(hostless.updateSampleRate(), 44100.0);
  EXPECT_EQ(hostless.updateBlockSize(), 1024);
}

TEST(SpeakerArrangements, AllocateMatchAndFree) {
  TestEffect effect(nullptr);
  VstSpeakerArrangement* source = nullptr;
  ASSERT_TRUE(effect.allocateArrangement(&source, 12));
  EXPECT_EQ(source->numChannels, 12);
  source->type = kSpeakerArrUserDefined;
  VstSpeakerProperties* speakers = source->speakers;
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(speakers[i].type, 0);
    speakers[i].azimuth = 0.1f * i;
    speakers[i].type = i;
    std::memset(speakers[i].name, 'n', sizeof(speakers[i].name));  // unterminated
    speakers[i].future[27] = 9;
  }
  VstSpeakerArrangement* copy = nullptr;
  ASSERT_TRUE(effect.allocateArrangement(&copy, 1));
  ASSERT_TRUE(effect.matchArrangement(&copy, source));
  EXPECT_EQ(copy->numChannels, 12);
  EXPECT_EQ(copy->type, kSpeakerArrUserDefined);
  VstSpeakerProperties* copied = copy->speakers;
  EXPECT_EQ(copied[11].azimuth, 0.1f * 11);
  EXPECT_EQ(copied[11].type, 11);
  EXPECT_EQ(copied[11].future[27], 9);
  EXPECT_EQ(std::strlen(copied[11].name), 63u);
  EXPECT_FALSE(effect.matchArrangement(&copy, nullptr));
  EXPECT_FALSE(effect.copySpeaker(nullptr, speakers));
  EXPECT_FALSE(effect.copySpeaker(speakers, nullptr));
  EXPECT_TRUE(effect.deallocateArrangement(&copy));
  EXPECT_EQ(copy, nullptr);
  EXPECT_TRUE(effect.deallocateArrangement(&copy)) << "freeing nothing is fine";
  EXPECT_TRUE(effect.deallocateArrangement(&source));
}

}  // namespace
