// What a careless host sends: key opcodes with modifier values no integer
// holds, and two threads asking a fresh effect for its state at once. Run in
// the sanitizer build too, where undefined conversions and leaks fail.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "tests/plugin/loaded_plugin.h"

namespace {

class PluginHostileInput : public ::testing::TestWithParam<PluginBuild> {
 protected:
  void SetUp() override {
    plugin = makeInstance(GetParam().path);
    ASSERT_TRUE(plugin);
  }
  std::unique_ptr<quillet::host::PluginInstance> plugin;
};

TEST_P(PluginHostileInput, KeyOpcodesTakeAnyModifierValue) {
  const float inf = std::numeric_limits<float>::infinity();
  for (float opt : {std::nanf(""), -std::nanf(""), inf, -inf, 1e10f, -1e10f, 2147483648.0f,
                    -2147483904.0f, std::numeric_limits<float>::max(), 2.0f, -1.5f}) {
    // Closed editor (or none): nothing takes the key.
    EXPECT_EQ(plugin->dispatch(effEditKeyDown, 65, 3, nullptr, opt), 0) << opt;
    EXPECT_EQ(plugin->dispatch(effEditKeyUp, 65, 3, nullptr, opt), 0) << opt;
  }
}

TEST_P(PluginHostileInput, FreshEffectHandsBothThreadsOneChunk) {
  // Each round a fresh effect: the buffer must already be there.
  for (int round = 0; round < 20; ++round) {
    auto fresh = makeInstance(GetParam().path);
    ASSERT_TRUE(fresh);
    void* first = nullptr;
    void* second = nullptr;
    VstIntPtr firstSize = 0, secondSize = 0;
    std::thread other([&] { firstSize = fresh->dispatch(effGetChunk, 0, 0, &first); });
    secondSize = fresh->dispatch(effGetChunk, 0, 0, &second);
    other.join();
    EXPECT_EQ(firstSize, 44);
    EXPECT_EQ(secondSize, 44);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, PluginHostileInput,
                         ::testing::Values(PluginBuild{QTAPG_PATH, "Quillet K3", QTAPG_HAS_EDITOR},
                                           PluginBuild{QTAP_PATH, "Quillet K3 (no GUI)", false}),
                         [](const auto& info) { return info.index == 0 ? "QTAPG" : "QTAP"; });

}  // namespace
