// The built plug-ins as a host sees them: entry point, record, identity and
// the answers of the dispatcher.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/plugin/loaded_plugin.h"

namespace {

class PluginRecord : public ::testing::TestWithParam<PluginBuild> {
 protected:
  void SetUp() override {
    plugin = makeInstance(GetParam().path);
    ASSERT_TRUE(plugin);
    record = plugin->effect();
  }
  std::unique_ptr<quillet::host::PluginInstance> plugin;
  AEffect* record = nullptr;
};

TEST_P(PluginRecord, Fields) {
  EXPECT_EQ(record->magic, fourCharCode('V', 's', 't', 'P'));
  EXPECT_EQ(record->uniqueID, fourCharCode('Q', 'T', 'A', 'P'));
  EXPECT_EQ(record->uniqueID, 0x51544150);
  EXPECT_EQ(record->numInputs, 2);
  EXPECT_EQ(record->numOutputs, 2);
  EXPECT_EQ(record->numPrograms, 0);
  EXPECT_EQ(record->numParams, 11);
  EXPECT_EQ(record->flags, 16 | 32 | 4096 | (GetParam().hasEditor ? 1 : 0));
  EXPECT_EQ(record->initialDelay, 0);
  EXPECT_EQ(record->version, 1);
  EXPECT_EQ(record->ioRatio, 1.0f);
  EXPECT_EQ(record->realQualities, 0);
  EXPECT_EQ(record->offQualities, 0);
  EXPECT_EQ(record->resvd1, 0);
  EXPECT_EQ(record->resvd2, 0);
  EXPECT_NE(record->object, nullptr);
  EXPECT_EQ(record->user, nullptr);
  for (char byte : record->future) EXPECT_EQ(byte, 0);
  EXPECT_NE(record->dispatcher, nullptr);
  EXPECT_NE(record->process, nullptr);
  EXPECT_NE(record->processReplacing, nullptr);
  EXPECT_NE(record->processDoubleReplacing, nullptr);
  EXPECT_NE(record->setParameter, nullptr);
  EXPECT_NE(record->getParameter, nullptr);
}

TEST_P(PluginRecord, Identity) {
  EXPECT_EQ(textOf(*plugin, effGetEffectName), GetParam().name);
  EXPECT_EQ(textOf(*plugin, effGetProductString), GetParam().name);
  EXPECT_EQ(textOf(*plugin, effGetVendorString), "Marrow Ledge");
  EXPECT_EQ(plugin->dispatch(effGetEffectName, 0, 0, nullptr), 0) << "null text";
  // The vendor and product strings fill 64 characters and a NUL.
  char name[kVstMaxVendorStrLen + 1];
  EXPECT_EQ(plugin->dispatch(effGetEffectName, 0, 0, name), 1);
  EXPECT_EQ(plugin->dispatch(effGetVendorString, 0, 0, name), 1);
  EXPECT_EQ(plugin->dispatch(effGetProductString, 0, 0, name), 1);
  EXPECT_EQ(plugin->dispatch(effGetVendorVersion), 1400);
  EXPECT_EQ(plugin->dispatch(effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(plugin->dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(plugin->dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
}

TEST_P(PluginRecord, CanDoAnswersNoToEverything) {
  for (const char* query : {"receiveVstMidiEvent", "sizeWindow", "", "bypass"}) {
    char text[32];
    std::strcpy(text, query);
    EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, text), -1) << query;
  }
  EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, nullptr), -1);
}

// The one yes of the editor build: it takes a host's content scale factor,
// 'PreS' / 'AeCs' with the factor in opt. The plain build knows neither.
TEST_P(PluginRecord, OnlyThePanelTakesTheHostsScaleFactor) {
  char query[] = "supportsViewDpiScaling";
  const bool panel = GetParam().hasEditor;
  EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, query), panel ? 1 : -1);
  char longer[] = "supportsViewDpiScalingX";
  EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, longer), -1);
  EXPECT_EQ(plugin->dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, 2.0f),
            panel ? 1 : 0);
  EXPECT_EQ(plugin->dispatch(effVendorSpecific, 0x50726553, 0x41654372, nullptr, 2.0f), 0);
  if (!panel) return;
  ERect* rect = nullptr;
  ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 1172);
  EXPECT_EQ(rect->bottom, 770);
  // Nonsense from the host is no factor: today's size again.
  plugin->dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, -3.0f);
  ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 586);
  EXPECT_EQ(rect->bottom, 385);
}

TEST_P(PluginRecord, SwitchingOnAsksTheHostForNothing) {
  plugin->host().clear();
  plugin->dispatch(effMainsChanged, 0, 1);
  plugin->dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(plugin->host().requests().size(), 0u);
}

TEST_P(PluginRecord, SpeakerArrangements) {
  VstSpeakerArrangement one{}, two{}, six{};
  one.numChannels = 1;
  two.numChannels = 2;
  six.numChannels = 6;
  auto set = [&](VstSpeakerArrangement* in, VstSpeakerArrangement* out) {
    return plugin->dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(in), out);
  };
  EXPECT_EQ(set(&two, &two), 1);
  EXPECT_EQ(set(&one, &one), 1);
  EXPECT_EQ(set(&one, &two), 0);
  EXPECT_EQ(set(&six, &six), 0);
  EXPECT_EQ(set(nullptr, &two), 0);
  EXPECT_EQ(set(&two, nullptr), 0);
  VstSpeakerArrangement* in = &one;
  VstSpeakerArrangement* out = &one;
  EXPECT_EQ(plugin->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out),
            0);
  EXPECT_EQ(in, nullptr);
  EXPECT_EQ(out, nullptr);
}

TEST_P(PluginRecord, OpcodeAnswers) {
  const struct {
    VstInt32 opcode, index;
    VstIntPtr value, answer;
  } cases[] = {
      {effCanBeAutomated, 0, 0, 1},
      {effCanBeAutomated, 57, 0, 1},
      {effSetBypass, 0, 1, 0},
      {effGetTailSize, 0, 0, 0},
      {effGetCurrentMidiProgram, 0, 0, -1},
      {effSetTotalSampleToProcess, 0, 4096, 4096},
      {effGetNumMidiInputChannels, 0, 0, 0},
      {effGetNumMidiOutputChannels, 0, 0, 0},
      {effProcessEvents, 0, 0, 0},
      {effSetProcessPrecision, 0, 1, 0},
      {effBeginSetProgram, 0, 0, 0},
      {effEndSetProgram, 0, 0, 0},
      {effStartProcess, 0, 0, 0},
      {effStopProcess, 0, 0, 0},
      {80, 0, 0, 0},
      {-1, 0, 0, 0},
      {12345, 0, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(plugin->dispatch(c.opcode, c.index, c.value), c.answer) << c.opcode;
  for (VstInt32 opcode : {9, 16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 43, 46, 53, 54, 55, 57})
    EXPECT_EQ(plugin->dispatch(opcode, 1, 1, nullptr, 1.0f), 0) << opcode;
}

TEST_P(PluginRecord, EditorOpcodesWithoutAnEditor) {
  if (GetParam().hasEditor) GTEST_SKIP() << "this build has its panel";
  ERect* rect = nullptr;
  EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(rect, nullptr);
  EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(plugin->dispatch(effEditIdle), 0);
  EXPECT_EQ(plugin->dispatch(effEditClose), 0);
  EXPECT_EQ(plugin->dispatch(effEditKeyDown, 65, 3, nullptr, 2.0f), 0);
  EXPECT_EQ(plugin->dispatch(effEditKeyUp, 65, 3, nullptr, 2.0f), 0);
  EXPECT_EQ(plugin->dispatch(effSetEditKnobMode, 0, 2), 0);
}

TEST_P(PluginRecord, NullPointersFromTheHostAreIgnored) {
  for (VstInt32 opcode :
       {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
        effGetChunk, effSetChunk, effGetEffectName, effGetVendorString, effGetProductString,
        effSetSpeakerArrangement, effGetSpeakerArrangement, effGetProgramNameIndexed,
        effString2Parameter, effGetParameterProperties, effGetInputProperties,
        effGetOutputProperties, effProcessEvents}) {
    EXPECT_EQ(plugin->dispatch(opcode, 0, 0, nullptr), 0) << opcode;
  }
}

TEST_P(PluginRecord, CloseAnswersOne) {
  // Made through the entry point directly, so nothing else closes it.
  quillet::host::HostCallback host;
  static quillet::host::HostCallback* current = nullptr;
  current = &host;
  auto callback = [](AEffect* e, VstInt32 op, VstInt32 i, VstIntPtr v, void* p, float o) {
    return current->handle(e, op, i, v, p, o);
  };
  AEffect* effect = loadedLibrary(GetParam().path).entry()(callback);
  ASSERT_NE(effect, nullptr);
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

VstIntPtr versionZeroCalls = 0;
VstIntPtr hostAnsweringVersionZero(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                   float) {
  ++versionZeroCalls;
  EXPECT_EQ(effect, nullptr);
  EXPECT_EQ(opcode, audioMasterVersion);
  return 0;
}

TEST_P(PluginRecord, EntryPointDeclines) {
  VstPluginMainProc entry = loadedLibrary(GetParam().path).entry();
  EXPECT_EQ(entry(nullptr), nullptr);
  versionZeroCalls = 0;
  EXPECT_EQ(entry(hostAnsweringVersionZero), nullptr);
  EXPECT_EQ(versionZeroCalls, 1);
}

INSTANTIATE_TEST_SUITE_P(Builds, PluginRecord,
                         ::testing::Values(PluginBuild{QTAPG_PATH, "Quillet K3", QTAPG_HAS_EDITOR},
                                           PluginBuild{QTAP_PATH, "Quillet K3 (no GUI)", false}),
                         [](const auto& info) { return info.index == 0 ? "QTAPG" : "QTAP"; });

}  // namespace
