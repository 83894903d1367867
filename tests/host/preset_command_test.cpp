// Presets between files and plug-ins: byte-exact round trips, the same
// parameters in a fresh instance, and nothing handed over that does not fit.
#include "host/files/file_output.h"
#include "host/plugin/vst2/plugin_text.h"
#include "host/presets/plugin_preset.h"
#include "host_test_support.h"

namespace {

using quillet::test::runCommand;

std::vector<uint8_t> bytesOf(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(quillet::host::readWholeFile(path, 1 << 20, &bytes, &error)) << error;
  return bytes;
}

std::vector<float> paramsOf(quillet::host::PluginInstance& p) {
  std::vector<float> values;
  for (VstInt32 i = 0; i < p.effect()->numParams; ++i)
    values.push_back(p.effect()->getParameter(p.effect(), i));
  return values;
}

struct RoundTrip {
  const char* plugin;
  const char* file;
  quillet::host::PresetKind kind;
};

void PrintTo(const RoundTrip& r, std::ostream* os) { *os << r.file; }

std::string kindName(size_t index) {
  static const char* const names[] = {"ChunkProgram", "ChunkBank", "ParamProgram", "ParamBank"};
  return names[index];
}

class PresetRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(PresetRoundTrip, SavedFileLoadsIntoAFreshInstanceAndSavesTheSameBytes) {
  quillet::test::ScratchDir dir;
  const std::string path = dir.file(GetParam().file);
  auto r =
      runCommand("preset", {"save", GetParam().plugin, path, "--set", "0=0.25", "--set", "1=0.75"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<uint8_t> saved = bytesOf(path);

  quillet::host::PresetFile preset;
  std::string error;
  ASSERT_TRUE(quillet::host::parsePreset(saved, &preset, &error)) << error;
  EXPECT_EQ(preset.kind, GetParam().kind);
  auto fresh = quillet::test::open(GetParam().plugin);
  ASSERT_TRUE(quillet::host::applyPreset(*fresh, preset, &error)) << error;
  const std::vector<float> params = paramsOf(*fresh);
  EXPECT_EQ(params[0], 0.25f);
  EXPECT_EQ(params[1], 0.75f);
  const auto again = quillet::host::capturePreset(*fresh, quillet::host::wantsBank(path));
  EXPECT_EQ(quillet::host::serializePreset(again), saved);

  r = runCommand("preset", {"show", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(quillet::host::presetKindName(GetParam().kind)), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PresetRoundTrip,
    testing::Values(
        RoundTrip{QTAPG_PATH, "echo.fxp", quillet::host::PresetKind::ChunkProgram},
        RoundTrip{QTAP_PATH, "echo.fxb", quillet::host::PresetKind::ChunkBank},
        RoundTrip{TEST_PLUGIN_PLAIN, "plain.fxp", quillet::host::PresetKind::ParamProgram},
        RoundTrip{TEST_PLUGIN_PLAIN, "plain.FXB", quillet::host::PresetKind::ParamBank}),
    [](const auto& info) { return kindName(info.index); });

TEST(Presets, OneBuildsPresetRestoresInTheOther) {
  quillet::test::ScratchDir dir;
  auto r = runCommand("preset", {"save", QTAPG_PATH, dir.file("p.fxp"), "--set", "Repeat=0.6",
                                 "--set", "PingPong=1"});
  ASSERT_EQ(r.status, 0) << r.err;
  quillet::host::PresetFile preset;
  std::string error;
  ASSERT_TRUE(quillet::host::readPresetFile(dir.file("p.fxp"), &preset, &error)) << error;
  auto source = quillet::test::open(QTAPG_PATH);
  auto target = quillet::test::open(QTAP_PATH);
  ASSERT_TRUE(quillet::host::applyPreset(*source, preset, &error)) << error;
  ASSERT_TRUE(quillet::host::applyPreset(*target, preset, &error)) << error;
  EXPECT_EQ(paramsOf(*source), paramsOf(*target));
  EXPECT_EQ(paramsOf(*target)[1], 0.6f);
}

TEST(Presets, NothingIsHandedOverThatDoesNotFit) {
  auto plain = quillet::test::open(TEST_PLUGIN_PLAIN);
  auto chunky = quillet::test::open(TEST_PLUGIN_GOOD);
  const std::vector<float> before = paramsOf(*plain);
  std::string error;

  quillet::host::PresetFile preset = quillet::host::capturePreset(*plain, false);
  preset.programs[0].params = {0.9f, 0.9f, 0.9f};  // one too many
  EXPECT_FALSE(quillet::host::applyPreset(*plain, preset, &error));
  EXPECT_EQ(error, "the preset has 3 parameters, the plug-in 2");

  preset.programs[0].params = {0.9f, 1.5f};
  EXPECT_FALSE(quillet::host::applyPreset(*plain, preset, &error));
  EXPECT_EQ(error, "the preset holds a parameter value outside 0..1");

  preset = quillet::host::capturePreset(*chunky, false);
  EXPECT_FALSE(quillet::host::applyPreset(*plain, preset, &error));
  EXPECT_EQ(error, "the preset holds a chunk, but the plug-in keeps its state as parameters");

  auto echo = quillet::test::open(QTAP_PATH);
  EXPECT_FALSE(quillet::host::applyPreset(*echo, preset, &error));
  EXPECT_EQ(error,
            "the preset is for plug-in 'Htst' (0x48747374), this one is 'QTAP' (0x51544150)");
  EXPECT_EQ(paramsOf(*plain), before);
}

TEST(Presets, CommandErrors) {
  quillet::test::ScratchDir dir;
  auto r = runCommand("preset", {"show", dir.file("none.fxp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
  r = runCommand("preset", {"save", QTAP_PATH, dir.file("x.fxp"), "--set", "Nope=1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("unknown parameter 'Nope'"), std::string::npos) << r.err;
  EXPECT_TRUE(dir.list().empty());
  r = runCommand("preset", {"load"});
  EXPECT_EQ(r.status, 2);
}

}  // namespace

namespace {

TEST(Presets, ShowWithAPlugInListsEveryParameterAsLoaded) {
  quillet::test::ScratchDir dir;
  const std::string path = dir.file("p.fxp");
  ASSERT_EQ(
      runCommand("preset", {"save", QTAP_PATH, path, "--set", "Repeat=0.6", "--set", "Range=1"})
          .status,
      0);
  // The header alone without a plug-in.
  auto plain = quillet::test::runHost({"preset", "show", path});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.out.find("Loaded into"), std::string::npos);

  // Given plug-ins, the one with the preset's unique ID gets its state.
  auto r = quillet::test::runHost({"preset", "show", path, TEST_PLUGIN_GOOD, QTAPG_PATH});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind(plain.out, 0), 0u) << r.out;
  EXPECT_NE(r.out.find("Loaded into \"Quillet K3\": 11 parameters"), std::string::npos) << r.out;
  auto plugin = quillet::test::open(QTAPG_PATH);
  quillet::host::PresetFile preset;
  std::string error;
  ASSERT_TRUE(quillet::host::readPresetFile(path, &preset, &error)) << error;
  ASSERT_TRUE(quillet::host::applyPreset(*plugin, preset, &error)) << error;
  for (VstInt32 i = 0; i < 11; ++i) {
    char row[160];
    std::string display = quillet::host::parameterDisplay(*plugin, i);
    const std::string label = quillet::host::parameterLabel(*plugin, i);
    if (!label.empty()) display += " " + label;
    std::snprintf(row, sizeof(row), "  %5d  %-24s %-9.6f %s\n", i,
                  quillet::host::parameterName(*plugin, i).c_str(),
                  plugin->effect()->getParameter(plugin->effect(), i), display.c_str());
    EXPECT_NE(r.out.find(row), std::string::npos) << row << "\nin\n" << r.out;
  }
  EXPECT_NE(r.out.find("Repeat                   0.600000"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Range                    1.000000"), std::string::npos) << r.out;

  // A single plug-in that does not fit says why; none of several says so.
  r = quillet::test::runHost({"preset", "show", path, TEST_PLUGIN_GOOD});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("the preset is for plug-in 'QTAP'"), std::string::npos) << r.err;
  r = quillet::test::runHost({"preset", "show", path, TEST_PLUGIN_GOOD, TEST_PLUGIN_PLAIN});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("none of the plug-ins given is 'QTAP'"), std::string::npos) << r.err;
}

}  // namespace
