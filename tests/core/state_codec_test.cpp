// The 44-byte state: its bytes pinned, and the two ways of loading it.
#include "core/state_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace quillet::core {
namespace {

std::vector<uint8_t> stateOf(const StateValues& values) {
  std::vector<uint8_t> bytes(kStateBytes);
  encodeState(values, bytes.data());
  return bytes;
}

TEST(StateCodec, ElevenLittleEndianFloatsInIndexOrder) {
  EXPECT_EQ(kStateBytes, 44u);
  ParamStore store;
  uint8_t bytes[kStateBytes];
  saveState(store, bytes);
  // The defaults: 0, 0, 0, 0.5, 0, 1, 0.5, 0, 0, 1, 0.
  const uint8_t half[4] = {0x00, 0x00, 0x00, 0x3f};
  const uint8_t one[4] = {0x00, 0x00, 0x80, 0x3f};
  const uint8_t zero[4] = {};
  const uint8_t* expected[] = {zero, zero, zero, half, zero, one, half, zero, zero, one, zero};
  for (int i = 0; i < kNumQuilletParams; ++i)
    EXPECT_EQ(std::memcmp(bytes + 4 * i, expected[i], 4), 0) << i;
  StateValues back;
  decodeState(bytes, back);
  for (int i = 0; i < kNumQuilletParams; ++i) EXPECT_EQ(back[i], store.value(i));
}

TEST(StateCodec, LoadStoresEachValueAsTheVst24ChunkAlwaysHas) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const StateValues values = {1.7f, nan, 0.25f, -inf, 1.0f, 0.0f, inf, 0.5f, 1.0f, 0.0f, 0.75f};
  std::vector<uint8_t> bytes = stateOf(values);
  ParamStore store;
  store.store(engine::kParamRepeat, 0.3f);
  EXPECT_FALSE(loadState(store, bytes.data(), kStateBytes - 1)) << "short";
  EXPECT_FALSE(loadState(store, nullptr, kStateBytes));
  EXPECT_EQ(store.value(engine::kParamDelay), 0.0f) << "a refused state changes nothing";
  bytes.resize(64, 0xff);  // bytes beyond the state are ignored
  EXPECT_TRUE(loadState(store, bytes.data(), bytes.size()));
  EXPECT_EQ(store.value(engine::kParamDelay), 1.0f);
  EXPECT_EQ(store.value(engine::kParamRepeat), 0.3f) << "NaN leaves the value as it was";
  EXPECT_EQ(store.value(engine::kParamLevel), 0.25f);
  EXPECT_EQ(store.value(engine::kParamRange), 0.0f);
  EXPECT_EQ(store.value(engine::kParamPan), 1.0f);
  EXPECT_EQ(store.value(engine::kParamPingPong), 0.75f);
}

TEST(StateCodec, StrictLoadIsAllOrNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  StateValues values = {0.1f, 0.2f, 0.3f, 0.4f, 0.0f, 0.6f, 0.7f, 0.8f, 1.0f, 0.0f, 1.0f};
  std::vector<uint8_t> good = stateOf(values);
  values[9] = nan;
  std::vector<uint8_t> bad = stateOf(values);
  ParamStore store;
  EXPECT_FALSE(loadStateStrict(store, good.data(), kStateBytes - 1));
  EXPECT_FALSE(loadStateStrict(store, nullptr, kStateBytes));
  EXPECT_FALSE(loadStateStrict(store, bad.data(), bad.size()));
  for (int i = 0; i < kNumQuilletParams; ++i)
    EXPECT_EQ(store.value(i), kQuilletParams[i].defaultValue) << "refused: " << i;
  EXPECT_TRUE(loadStateStrict(store, good.data(), good.size()));
  uint8_t saved[kStateBytes];
  saveState(store, saved);
  EXPECT_EQ(std::memcmp(saved, good.data(), kStateBytes), 0) << "what is loaded saves the same";
  // Infinities clamp as in the VST 2.4 edition.
  values[9] = std::numeric_limits<float>::infinity();
  std::vector<uint8_t> infinite = stateOf(values);
  EXPECT_TRUE(loadStateStrict(store, infinite.data(), infinite.size()));
  EXPECT_EQ(store.value(engine::kParamKnobDust), 1.0f);
}

}  // namespace
}  // namespace quillet::core
