// The VST 2 state a host hands over, read as every record kind quillet-host's
// preset writer makes (the .fxp and .fxb layouts DAWs exchange), behind the
// 'VstW' header a VST3 host puts in front, and refused whole when anything is
// off: another plug-in's ID, a cut at any length, a NaN.
#include "vst3/vst2_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "host/presets/preset_file.h"
#include "vst3/component_state.h"

namespace quillet::vst3 {
namespace {

constexpr uint32_t kQtap = 0x51544150;  // 'QTAP'
const float kValues[11] = {0.62f, 0.55f, 0.75f, 0.0f, 0.0f, 0.6f, 0.2f, 0.3f, 1.0f, 0.0f, 1.0f};

std::vector<uint8_t> ourState(const float (&values)[11]) {
  std::vector<uint8_t> bytes(core::kStateBytes);
  core::StateValues v;
  std::memcpy(v, values, sizeof v);
  core::encodeState(v, bytes.data());
  return bytes;
}

quillet::host::PresetFile preset(quillet::host::PresetKind kind) {
  quillet::host::PresetFile p;
  p.kind = kind;
  p.fxID = static_cast<VstInt32>(kQtap);
  p.fxVersion = 1400;
  p.name = "Handed over";
  if (kind == quillet::host::PresetKind::ChunkProgram ||
      kind == quillet::host::PresetKind::ChunkBank) {
    p.chunk = ourState(kValues);
    p.numPrograms = kind == quillet::host::PresetKind::ChunkBank ? 0 : 1;
  } else {
    quillet::host::PresetProgram program;
    program.name = "Handed over";
    program.params.assign(kValues, kValues + 11);
    p.programs.push_back(program);
    p.numPrograms = 1;
  }
  return p;
}

// The 'VstW' header: its size after the size field (8), version 1, bypass.
std::vector<uint8_t> wrapped(const std::vector<uint8_t>& record, uint32_t bypass) {
  const uint8_t header[16] = {'V', 's', 't', 'W', 0, 0, 0, 8,
                              0,   0,   0,   1,   0, 0, 0, static_cast<uint8_t>(bypass)};
  std::vector<uint8_t> out(sizeof header + record.size());
  std::memcpy(out.data(), header, sizeof header);
  std::memcpy(out.data() + sizeof header, record.data(), record.size());
  return out;
}

TEST(Vst2Handover, EveryRecordKindGivesTheSameState) {
  for (auto kind :
       {quillet::host::PresetKind::ChunkProgram, quillet::host::PresetKind::ChunkBank,
        quillet::host::PresetKind::ParamProgram, quillet::host::PresetKind::ParamBank}) {
    for (int bankVersion : {1, 2}) {
      quillet::host::PresetFile p = preset(kind);
      p.bankVersion = bankVersion;
      const std::vector<uint8_t> record = quillet::host::serializePreset(p);
      ASSERT_TRUE(startsAsVst2State(record.data(), record.size()));
      Vst2Handover read;
      ASSERT_TRUE(readVst2State(record.data(), record.size(), kQtap, &read))
          << quillet::host::presetKindName(kind);
      EXPECT_EQ(std::vector<uint8_t>(read.state, read.state + core::kStateBytes), ourState(kValues))
          << quillet::host::presetKindName(kind);
      EXPECT_FALSE(read.hasBypass);
    }
  }
}

TEST(Vst2Handover, TheWrapperHeaderCarriesTheBypassState) {
  const std::vector<uint8_t> record =
      quillet::host::serializePreset(preset(quillet::host::PresetKind::ChunkBank));
  for (uint32_t bypass : {0u, 1u}) {
    const std::vector<uint8_t> stream = wrapped(record, bypass);
    ComponentState state;
    ASSERT_TRUE(readComponentState(stream.data(), stream.size(), &state));
    EXPECT_TRUE(state.hasBypass);
    EXPECT_EQ(state.bypassed, bypass == 1);
    EXPECT_EQ(state.values[0], 0.62f);
    EXPECT_EQ(state.values[10], 1.0f);
  }
  // A longer header is skipped by its size.
  std::vector<uint8_t> longer = wrapped(record, 1);
  longer[7] = 12;
  longer.insert(longer.begin() + 16, {9, 9, 9, 9});
  Vst2Handover read;
  EXPECT_TRUE(readVst2State(longer.data(), longer.size(), kQtap, &read));
  EXPECT_TRUE(read.bypassed);
}

TEST(Vst2Handover, ThePlainBankTakesItsCurrentProgram) {
  quillet::host::PresetFile p = preset(quillet::host::PresetKind::ParamBank);
  quillet::host::PresetProgram second = p.programs[0];
  second.params[0] = 0.125f;
  p.programs.push_back(second);
  p.numPrograms = 2;
  p.bankVersion = 2;
  p.currentProgram = 1;
  std::vector<uint8_t> record = quillet::host::serializePreset(p);
  Vst2Handover read;
  ASSERT_TRUE(readVst2State(record.data(), record.size(), kQtap, &read));
  float delay;
  std::memcpy(&delay, read.state, 4);
  EXPECT_EQ(delay, 0.125f);
  // Version 1 names no current program: the first counts.
  p.bankVersion = 1;
  record = quillet::host::serializePreset(p);
  ASSERT_TRUE(readVst2State(record.data(), record.size(), kQtap, &read));
  std::memcpy(&delay, read.state, 4);
  EXPECT_EQ(delay, 0.62f);
}

TEST(Vst2Handover, RefusedWholeAndNothingWritten) {
  const std::vector<uint8_t> good =
      wrapped(quillet::host::serializePreset(preset(quillet::host::PresetKind::ChunkProgram)), 1);
  Vst2Handover untouched;
  untouched.state[0] = 0x5A;
  // Cut at every length.
  for (size_t n = 0; n < good.size(); ++n) {
    Vst2Handover read = untouched;
    EXPECT_FALSE(readVst2State(good.data(), n, kQtap, &read)) << n << " bytes";
    EXPECT_EQ(read.state[0], 0x5A);
  }
  EXPECT_FALSE(readVst2State(good.data(), good.size(), 0x41424344, &untouched))
      << "another plug-in's state";
  for (auto kind :
       {quillet::host::PresetKind::ParamProgram, quillet::host::PresetKind::ParamBank}) {
    std::vector<uint8_t> record = quillet::host::serializePreset(preset(kind));
    for (size_t n = 0; n < record.size(); ++n)
      EXPECT_FALSE(readVst2State(record.data(), n, kQtap, &untouched))
          << quillet::host::presetKindName(kind) << " cut to " << n;
  }
  // A chunk shorter than our state.
  quillet::host::PresetFile small = preset(quillet::host::PresetKind::ChunkProgram);
  small.chunk.resize(40);
  const std::vector<uint8_t> shortChunk = quillet::host::serializePreset(small);
  EXPECT_FALSE(readVst2State(shortChunk.data(), shortChunk.size(), kQtap, &untouched));
  // A header whose size runs past the data.
  std::vector<uint8_t> header = good;
  header[4] = 0x7F;
  EXPECT_FALSE(readVst2State(header.data(), header.size(), kQtap, &untouched));
}

TEST(Vst2Handover, ANanRefusesTheWholeStateAndByteSizeIsNotTrusted) {
  quillet::host::PresetFile p = preset(quillet::host::PresetKind::ParamProgram);
  p.programs[0].params[7] = std::numeric_limits<float>::quiet_NaN();
  std::vector<uint8_t> record = quillet::host::serializePreset(p);
  ComponentState state;
  EXPECT_FALSE(readComponentState(record.data(), record.size(), &state));
  // Writers have filled byteSize loosely for decades: a wrong one is no reason to refuse.
  record = quillet::host::serializePreset(preset(quillet::host::PresetKind::ChunkBank));
  record[4] = record[5] = record[6] = record[7] = 0xFF;
  EXPECT_TRUE(readComponentState(record.data(), record.size(), &state));
}

TEST(ComponentStateRule, OwnStateIsExactlyFortyFourBytesClampedNeverNan) {
  std::vector<uint8_t> bytes = ourState(kValues);
  ComponentState state;
  ASSERT_TRUE(readComponentState(bytes.data(), bytes.size(), &state));
  EXPECT_FALSE(state.hasBypass);
  bytes.push_back(0);
  EXPECT_FALSE(readComponentState(bytes.data(), bytes.size(), &state));
  bytes.resize(43);
  EXPECT_FALSE(readComponentState(bytes.data(), bytes.size(), &state));
  const float outside[11] = {
      2.0f, -1.0f, std::numeric_limits<float>::infinity(), 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f,
      1.0f, 0.0f};
  bytes = ourState(outside);
  ASSERT_TRUE(readComponentState(bytes.data(), bytes.size(), &state));
  EXPECT_EQ(state.values[0], 1.0f);
  EXPECT_EQ(state.values[1], 0.0f);
  EXPECT_EQ(state.values[2], 1.0f);
  // Our state's first value is "Delay" in 0..1: neither record tag reads as one.
  EXPECT_FALSE(startsAsVst2State(ourState(kValues).data(), core::kStateBytes));
}

}  // namespace
}  // namespace quillet::vst3
