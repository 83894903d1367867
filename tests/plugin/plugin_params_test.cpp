// The built plug-ins' parameters, programs and chunks as a host uses them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "tests/plugin/loaded_plugin.h"

namespace {

struct Row {
  const char* name;
  const char* label;
  float value;
  const char* display;
};

const Row kDefaults[11] = {
    {"Delay", "ms", 0.0f, "0.000000"},     {"Repeat", "%", 0.0f, "0.000000"},
    {"Level", "%", 0.0f, "0.000000"},      {"Range", "typ", 0.5f, "0.500000"},
    {"Mute", "n/y", 0.0f, "0.000000"},     {"Dry", "%", 1.0f, "1.000000"},
    {"Pan", "%", 0.5f, "0.500000"},        {"X-Feed", "%", 0.0f, "0.000000"},
    {"Mono Out", "n/y", 0.0f, "0.000000"}, {"KnobDust", "n/y", 1.0f, "1.000000"},
    {"PingPong", "typ", 0.0f, "0.000000"},
};

std::vector<float> chunkOf(quillet::host::PluginInstance& p, VstInt32 index = 0) {
  void* data = nullptr;
  const VstIntPtr size = p.dispatch(effGetChunk, index, 0, &data);
  EXPECT_EQ(size, 44);
  if (size != 44 || !data) return {};
  std::vector<float> values(11);
  std::memcpy(values.data(), data, 44);  // little-endian on every target we build
  return values;
}

class PluginParams : public ::testing::TestWithParam<PluginBuild> {
 protected:
  void SetUp() override {
    plugin = makeInstance(GetParam().path);
    ASSERT_TRUE(plugin);
    e = plugin->effect();
  }
  float get(VstInt32 i) { return e->getParameter(e, i); }
  void set(VstInt32 i, float v) { e->setParameter(e, i, v); }
  std::unique_ptr<quillet::host::PluginInstance> plugin;
  AEffect* e = nullptr;
};

TEST_P(PluginParams, NamesLabelsDefaultsAndDisplays) {
  for (VstInt32 i = 0; i < 11; ++i) {
    EXPECT_EQ(textOf(*plugin, effGetParamName, i), kDefaults[i].name) << i;
    EXPECT_EQ(textOf(*plugin, effGetParamLabel, i), kDefaults[i].label) << i;
    EXPECT_EQ(get(i), kDefaults[i].value) << i;
    EXPECT_EQ(textOf(*plugin, effGetParamDisplay, i), kDefaults[i].display) << i;
  }
}

TEST_P(PluginParams, DisplayShowsTheStoredFloatCutNotRounded) {
  const struct {
    float value;
    const char* text;
  } cases[] = {{0.7f, "0.699999"},
               {0.05f, "0.050000"},
               {0.25f, "0.250000"},
               {1.0f, "1.000000"},
               {0.0001f, "0.000099"}};
  for (const auto& c : cases) {
    set(0, c.value);
    EXPECT_EQ(textOf(*plugin, effGetParamDisplay, 0), c.text);
  }
}

TEST_P(PluginParams, TextsFillTheirBoundWithNul) {
  char text[12];
  std::memset(text, '#', sizeof(text));
  plugin->dispatch(effGetParamName, 8, 0, text);
  EXPECT_EQ(std::string(text, 10), std::string("Mono Out\0#", 10));
  std::memset(text, '#', sizeof(text));
  plugin->dispatch(effGetParamLabel, 8, 0, text);
  EXPECT_EQ(std::string(text, 10), std::string("n/y\0\0\0\0\0\0#", 10));
}

TEST_P(PluginParams, ValuesAreClampedAndBadIndicesIgnored) {
  set(0, 1.5f);
  EXPECT_EQ(get(0), 1.0f);
  set(0, -0.2f);
  EXPECT_EQ(get(0), 0.0f);
  set(11, 0.5f);
  set(-1, 0.5f);
  EXPECT_EQ(get(11), 0.0f);
  EXPECT_EQ(get(-1), 0.0f);
  EXPECT_EQ(chunkOf(*plugin), (std::vector<float>{0, 0, 0, 0.5f, 0, 1, 0.5f, 0, 0, 1, 0}));
  char text[12] = "untouched";
  for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
    plugin->dispatch(opcode, 11, 0, text);
    plugin->dispatch(opcode, -1, 0, text);
  }
  EXPECT_STREQ(text, "untouched");
}

TEST_P(PluginParams, NaNChangesNothingInfinityClamps) {
  set(6, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(get(6), 0.5f);
  set(6, std::numeric_limits<float>::infinity());
  EXPECT_EQ(get(6), 1.0f);
  set(6, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(get(6), 0.0f);
}

TEST_P(PluginParams, Programs) {
  EXPECT_EQ(textOf(*plugin, effGetProgramName), "Default");
  char other[] = "Other";
  plugin->dispatch(effSetProgramName, 0, 0, other);
  EXPECT_EQ(textOf(*plugin, effGetProgramName), "Default");
  plugin->dispatch(effSetProgram, 0, 3);
  EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
  char text[40] = "untouched";
  EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 0, 0, text), 0);
  EXPECT_STREQ(text, "untouched");
  char program[30];
  std::memset(program, '#', sizeof(program));
  plugin->dispatch(effGetProgramName, 0, 0, program);
  EXPECT_EQ(std::string(program, 26), std::string("Default") + std::string(18, '\0') + "#");
}

TEST_P(PluginParams, ChunkOfDefaultsIsTheSameForBankAndProgram) {
  const std::vector<float> defaults{0, 0, 0, 0.5f, 0, 1, 0.5f, 0, 0, 1, 0};
  EXPECT_EQ(chunkOf(*plugin, 0), defaults);
  EXPECT_EQ(chunkOf(*plugin, 1), defaults);
  const uint8_t rangeBytes[4] = {0x00, 0x00, 0x00, 0x3f};  // 0.5f little-endian
  void* data = nullptr;
  plugin->dispatch(effGetChunk, 0, 0, &data);
  EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(data) + 12, rangeBytes, 4), 0);
}

TEST_P(PluginParams, GetChunkReusesOneBuffer) {
  void* first = nullptr;
  void* second = nullptr;
  plugin->dispatch(effGetChunk, 0, 0, &first);
  set(2, 0.75f);
  plugin->dispatch(effGetChunk, 1, 0, &second);
  EXPECT_EQ(first, second);
  EXPECT_EQ(chunkOf(*plugin)[2], 0.75f);
  EXPECT_EQ(plugin->dispatch(effGetChunk, 0, 0, nullptr), 0);
}

TEST_P(PluginParams, SetChunkRestoresWithClamping) {
  float chunk[13] = {1.7f, 0.3f, 0.9f, 0.1f, 0.0f, 0.2f, -4.0f, 0.4f, 1.0f, 0.0f, 0.8f, 0.6f, 0.6f};
  EXPECT_EQ(plugin->dispatch(effSetChunk, 0, sizeof(chunk), chunk), 0);
  EXPECT_EQ(chunkOf(*plugin),
            (std::vector<float>{1.0f, 0.3f, 0.9f, 0.1f, 0, 0.2f, 0, 0.4f, 1, 0, 0.8f}));
  EXPECT_EQ(textOf(*plugin, effGetParamDisplay, 0), "1.000000");
}

TEST_P(PluginParams, BadChunksChangeNothing) {
  float chunk[11];
  for (float& v : chunk) v = 0.9f;
  chunk[3] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(plugin->dispatch(effSetChunk, 0, 43, chunk), 0);
  EXPECT_EQ(plugin->dispatch(effSetChunk, 1, 0, chunk), 0);
  EXPECT_EQ(plugin->dispatch(effSetChunk, 0, 44, nullptr), 0);
  EXPECT_EQ(chunkOf(*plugin), (std::vector<float>{0, 0, 0, 0.5f, 0, 1, 0.5f, 0, 0, 1, 0}));
  EXPECT_EQ(plugin->dispatch(effSetChunk, 0, 44, chunk), 0);
  EXPECT_EQ(get(3), 0.5f) << "a NaN in the chunk leaves that parameter";
  EXPECT_EQ(get(4), 0.9f);
}

INSTANTIATE_TEST_SUITE_P(Builds, PluginParams,
                         ::testing::Values(PluginBuild{QTAPG_PATH, "Quillet K3", QTAPG_HAS_EDITOR},
                                           PluginBuild{QTAP_PATH, "Quillet K3 (no GUI)", false}),
                         [](const auto& info) { return info.index == 0 ? "QTAPG" : "QTAP"; });

TEST(PluginChunkExchange, EachBuildRestoresTheOthersChunk) {
  auto plain = makeInstance(QTAP_PATH);
  auto withEditor = makeInstance(QTAPG_PATH);
  ASSERT_TRUE(plain && withEditor);
  const float state[11] = {0.3f, 0.55f, 0.8f, 0.9f, 0, 0.6f, 0.25f, 0.7f, 1, 0, 0.5f};
  for (VstInt32 i = 0; i < 11; ++i) plain->effect()->setParameter(plain->effect(), i, state[i]);
  void* data = nullptr;
  ASSERT_EQ(plain->dispatch(effGetChunk, 0, 0, &data), 44);
  EXPECT_EQ(withEditor->dispatch(effSetChunk, 0, 44, data), 0);
  const std::vector<float> expected(state, state + 11);
  EXPECT_EQ(chunkOf(*withEditor), expected);

  auto fresh = makeInstance(QTAP_PATH);
  ASSERT_EQ(withEditor->dispatch(effGetChunk, 1, 0, &data), 44);
  EXPECT_EQ(fresh->dispatch(effSetChunk, 1, 44, data), 0);
  EXPECT_EQ(chunkOf(*fresh), expected);
}

}  // namespace
