// .fxp and .fxb files: their layout to the byte, round trips, and refusal of
// anything malformed, truncated or oversized.
#include "host/presets/preset_file.h"

#include <cstring>

#include "host_test_support.h"

namespace {

using quillet::host::parsePreset;
using quillet::host::PresetFile;
using quillet::host::PresetKind;
using quillet::host::serializePreset;

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
  return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) |
         uint32_t(b[at + 3]);
}

PresetFile chunkProgram() {
  PresetFile p;
  p.kind = PresetKind::ChunkProgram;
  p.fxID = fourCharCode('Q', 'T', 'A', 'P');
  p.fxVersion = 1;
  p.numPrograms = 0;
  p.name = "Slapback";
  p.chunk = {1, 2, 3, 4, 5, 6, 7};
  return p;
}

PresetFile plainBank() {
  PresetFile p;
  p.kind = PresetKind::ParamBank;
  p.fxID = fourCharCode('H', 't', 's', 't');
  p.fxVersion = 3;
  p.bankVersion = 2;
  p.currentProgram = 1;
  p.programs = {{"One", {0.0f, 0.5f}}, {"Two", {1.0f, 0.25f}}};
  p.numPrograms = 2;
  return p;
}

TEST(PresetFile, ChunkProgramLayout) {
  const auto bytes = serializePreset(chunkProgram());
  ASSERT_EQ(bytes.size(), 60u + 7u);
  EXPECT_EQ(be32(bytes, 0), uint32_t(fourCharCode('C', 'c', 'n', 'K')));
  EXPECT_EQ(be32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(be32(bytes, 8), uint32_t(fourCharCode('F', 'P', 'C', 'h')));
  EXPECT_EQ(be32(bytes, 12), 1u);
  EXPECT_EQ(be32(bytes, 16), uint32_t(fourCharCode('Q', 'T', 'A', 'P')));
  EXPECT_EQ(be32(bytes, 20), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "Slapback");
  EXPECT_EQ(be32(bytes, 56), 7u);
  EXPECT_EQ(bytes[60], 1);
  EXPECT_EQ(bytes[66], 7);
}

TEST(PresetFile, PlainProgramLayout) {
  PresetFile p;
  p.kind = PresetKind::ParamProgram;
  p.fxID = 42;
  p.programs = {{"Half", {0.5f, 1.0f}}};
  const auto bytes = serializePreset(p);
  ASSERT_EQ(bytes.size(), 56u + 8u);
  EXPECT_EQ(be32(bytes, 8), uint32_t(fourCharCode('F', 'x', 'C', 'k')));
  EXPECT_EQ(be32(bytes, 24), 2u);           // numParams
  EXPECT_EQ(be32(bytes, 56), 0x3F000000u);  // 0.5f, big-endian
  EXPECT_EQ(be32(bytes, 60), 0x3F800000u);
}

TEST(PresetFile, BankLayouts) {
  PresetFile chunk = chunkProgram();
  chunk.kind = PresetKind::ChunkBank;
  chunk.currentProgram = 5;
  auto bytes = serializePreset(chunk);
  ASSERT_EQ(bytes.size(), 160u + 7u);
  EXPECT_EQ(be32(bytes, 8), uint32_t(fourCharCode('F', 'B', 'C', 'h')));
  EXPECT_EQ(be32(bytes, 12), 2u);
  EXPECT_EQ(be32(bytes, 28), 5u);  // current program, first reserved word
  EXPECT_EQ(be32(bytes, 156), 7u);

  bytes = serializePreset(plainBank());
  const size_t program = 56 + 2 * 4;
  ASSERT_EQ(bytes.size(), 156u + 2 * program);
  EXPECT_EQ(be32(bytes, 8), uint32_t(fourCharCode('F', 'x', 'B', 'k')));
  EXPECT_EQ(be32(bytes, 24), 2u);
  EXPECT_EQ(be32(bytes, 156), uint32_t(fourCharCode('C', 'c', 'n', 'K')));
  EXPECT_EQ(be32(bytes, 160), program - 8);
  EXPECT_EQ(be32(bytes, 156 + program + 8), uint32_t(fourCharCode('F', 'x', 'C', 'k')));
}

TEST(PresetFile, EveryKindRoundTripsByteExactly) {
  PresetFile plainProgram;
  plainProgram.kind = PresetKind::ParamProgram;
  plainProgram.fxID = 7;
  plainProgram.programs = {{"Mine", {0.125f, 0.75f, 1.0f}}};
  PresetFile chunkBank = chunkProgram();
  chunkBank.kind = PresetKind::ChunkBank;
  PresetFile bankV1 = plainBank();
  bankV1.bankVersion = 1;
  bankV1.currentProgram = 0;
  for (const PresetFile& p : {chunkProgram(), plainProgram, chunkBank, plainBank(), bankV1}) {
    const auto bytes = serializePreset(p);
    PresetFile back;
    std::string error;
    ASSERT_TRUE(parsePreset(bytes, &back, &error)) << error;
    EXPECT_EQ(back.kind, p.kind);
    EXPECT_EQ(back.fxID, p.fxID);
    EXPECT_EQ(back.chunk, p.chunk);
    EXPECT_EQ(serializePreset(back), bytes);
  }
}

TEST(PresetFile, RefusesEveryTruncation) {
  for (const PresetFile& p : {chunkProgram(), plainBank()}) {
    const auto bytes = serializePreset(p);
    for (size_t n = 0; n < bytes.size(); ++n) {
      std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
      PresetFile out;
      std::string error;
      EXPECT_FALSE(parsePreset(cut, &out, &error)) << n;
      EXPECT_FALSE(error.empty());
    }
  }
}

TEST(PresetFile, RefusesMalformedFiles) {
  auto refuses = [](std::vector<uint8_t> bytes, const std::string& expected) {
    PresetFile out;
    std::string error;
    EXPECT_FALSE(parsePreset(bytes, &out, &error));
    EXPECT_NE(error.find(expected), std::string::npos) << error;
  };
  auto bytes = serializePreset(chunkProgram());
  auto wrongMagic = bytes;
  wrongMagic[0] = 'X';
  refuses(wrongMagic, "not a preset file");
  auto trailing = bytes;
  trailing.push_back(0);
  refuses(trailing, "follow the announced end");
  auto bigChunk = bytes;
  bigChunk[59] = 200;  // chunk size beyond the file
  refuses(bigChunk, "chunk of 200 bytes announced");
  auto hugeChunk = bytes;
  hugeChunk[56] = 0xFF;  // 4 GB chunk: refused, never allocated
  refuses(hugeChunk, "announced");
  auto unknownKind = bytes;
  unknownKind[8] = 'Z';
  refuses(unknownKind, "unknown kind");

  auto bank = serializePreset(plainBank());
  auto badVersion = bank;
  badVersion[15] = 3;
  refuses(badVersion, "unsupported bank version 3");
  auto negative = bank;
  negative[24] = 0x80;
  refuses(negative, "negative");
  auto manyPrograms = bank;
  manyPrograms[27] = 9;  // nine announced, two present
  refuses(manyPrograms, "program 2 is missing");
  auto otherPlugin = bank;
  otherPlugin[156 + 16] ^= 1;  // first program's fxID
  refuses(otherPlugin, "belongs to another plug-in");
}

TEST(PresetFile, OversizedFilesAreRefusedBeforeReading) {
  quillet::test::ScratchDir dir;
  const std::string path = dir.file("huge.fxp");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, static_cast<long>(quillet::host::kMaxPresetFileBytes) + 10, SEEK_SET);
  std::fputc(0, f);
  std::fclose(f);
  PresetFile out;
  std::string error;
  EXPECT_FALSE(quillet::host::readPresetFile(path, &out, &error));
  EXPECT_NE(error.find("oversized"), std::string::npos) << error;
}

TEST(PresetFile, WritesWholeFilesOnly) {
  quillet::test::ScratchDir dir;
  std::string error;
  EXPECT_FALSE(quillet::host::writePresetFile(dir.file("missing/x.fxp"), chunkProgram(), &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
  ASSERT_TRUE(quillet::host::writePresetFile(dir.file("x.fxp"), chunkProgram(), &error)) << error;
  EXPECT_EQ(dir.list(), std::vector<std::string>{"x.fxp"});  // no temporary left behind
}

}  // namespace

namespace {

// A plain bank holds each program as the very record a .fxp of that program
// is, byte for byte.
TEST(PresetFile, EachProgramOfAPlainBankIsItsOwnFxp) {
  const PresetFile bank = plainBank();
  const auto bytes = serializePreset(bank);
  size_t at = 156;
  for (const quillet::host::PresetProgram& program : bank.programs) {
    PresetFile single;
    single.kind = PresetKind::ParamProgram;
    single.fxID = bank.fxID;
    single.fxVersion = bank.fxVersion;
    single.programs = {program};
    const auto fxp = serializePreset(single);
    ASSERT_LE(at + fxp.size(), bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + static_cast<long>(at),
                                   bytes.begin() + static_cast<long>(at + fxp.size())),
              fxp)
        << program.name;
    at += fxp.size();
  }
  EXPECT_EQ(at, bytes.size());
}

}  // namespace
