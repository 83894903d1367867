// The state extension: the 44 bytes every edition saves, behind an 8-byte
// header; round trips through streams that move any number of bytes a call,
// and refused streams that change nothing.
#include <cmath>
#include <cstring>
#include <vector>

#include "core/param_table.h"
#include "tests/clap/clap_test_host.h"

namespace {

using quillet::test::ByteSink;
using quillet::test::ByteSource;
using quillet::test::EventList;
using quillet::test::Instance;
using quillet::test::TestHost;

std::vector<uint8_t> saved(const Instance& plugin) {
  ByteSink sink;
  EXPECT_TRUE(plugin.ext<clap_plugin_state_t>("clap.state")->save(plugin.get(), &sink.stream));
  return sink.bytes;
}

bool load(const Instance& plugin, ByteSource source) {
  return plugin.ext<clap_plugin_state_t>("clap.state")->load(plugin.get(), &source.stream);
}

float floatAt(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t bits = bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                  static_cast<uint32_t>(bytes[offset + 3]) << 24;
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

void setFloatAt(std::vector<uint8_t>& bytes, size_t offset, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  for (int b = 0; b < 4; ++b) bytes.at(offset + b) = static_cast<uint8_t>(bits >> (8 * b));
}

// Sets values as a host does outside processing: a flush on the main thread.
void setValues(const Instance& plugin, std::initializer_list<std::pair<clap_id, double>> values) {
  EventList events;
  for (auto [id, value] : values) events.value(0, id, value);
  plugin.params()->flush(plugin.get(), events.list(), nullptr);
}

TEST(ClapState, AFreshInstanceSavesTheHeaderAndTheDefaultsChunk) {
  TestHost host;
  Instance plugin(host);
  const std::vector<uint8_t> bytes = saved(plugin);
  ASSERT_EQ(bytes.size(), 52u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
            (std::vector<uint8_t>{'Q', 'T', 'A', 'P', 1, 0, 44, 0}));
  const float defaults[11] = {0, 0, 0, 0.5f, 0, 1, 0.5f, 0, 0, 1, 0};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(floatAt(bytes, 8 + 4 * i), defaults[i]) << i;
}

TEST(ClapState, RoundTripsThroughStreamsOfAnyChunkSize) {
  TestHost host;
  Instance source(host);
  setValues(source, {{quillet::engine::kParamDelay, 0.3},
                     {quillet::engine::kParamRange, 2},
                     {quillet::engine::kParamMute, 1},
                     {quillet::engine::kParamPan, 0.8}});
  const std::vector<uint8_t> bytes = saved(source);
  EXPECT_EQ(floatAt(bytes, 8 + 4 * quillet::engine::kParamRange), 1.0f);
  EXPECT_EQ(floatAt(bytes, 8 + 4 * quillet::engine::kParamDelay), 0.3f);
  for (uint64_t chunk : {1u, 3u, 8u, 52u}) {
    Instance target(host);
    ASSERT_TRUE(load(target, ByteSource(bytes, chunk))) << chunk;
    EXPECT_EQ(saved(target), bytes) << chunk;
    EXPECT_EQ(target.value(quillet::engine::kParamRange), 2.0);
    EXPECT_EQ(target.value(quillet::engine::kParamMute), 1.0);
  }
}

TEST(ClapState, TakesAChunkSavedByAnotherEditionInsideTheHeader) {
  // An .fxp chunk with a switch stored at 0.7 and Range at 0.3 (the first
  // position, although nearer the middle).
  TestHost host;
  Instance plugin(host);
  std::vector<uint8_t> bytes = saved(plugin);
  setFloatAt(bytes, 8 + 4 * quillet::engine::kParamMonoOut, 0.7f);
  setFloatAt(bytes, 8 + 4 * quillet::engine::kParamRange, 0.3f);
  setFloatAt(bytes, 8 + 4 * quillet::engine::kParamDelay, 0.1234f);
  ASSERT_TRUE(load(plugin, ByteSource(bytes)));
  EXPECT_EQ(plugin.value(quillet::engine::kParamMonoOut), 1.0);
  EXPECT_EQ(plugin.value(quillet::engine::kParamRange), 0.0);
  EXPECT_EQ(plugin.value(quillet::engine::kParamDelay), 0.1234f);
}

TEST(ClapState, RefusesForeignShortLongAndFailingStreamsChangingNothing) {
  TestHost host;
  Instance plugin(host);
  setValues(plugin, {{quillet::engine::kParamRepeat, 0.25}});
  const std::vector<uint8_t> good = saved(plugin);
  std::vector<std::vector<uint8_t>> refused;
  auto variant = [&](auto change) {
    std::vector<uint8_t> bytes = good;
    setFloatAt(bytes, 8 + 4 * quillet::engine::kParamRepeat,
               0.75f);  // would change Repeat if taken
    change(bytes);
    refused.push_back(bytes);
  };
  variant([](auto& b) { b[0] = 'q'; });                         // not our magic
  variant([](auto& b) { b[4] = 2; });                           // a later format
  variant([](auto& b) { b[6] = 43; });                          // another payload size
  variant([](auto& b) { b.pop_back(); });                       // cut short
  variant([](auto& b) { b.push_back(0); });                     // something after it
  variant([](auto& b) { b.resize(8); });                        // header only
  variant([](auto& b) { b.clear(); });                          // empty
  variant([](auto& b) { setFloatAt(b, 8, std::nanf("")); });    // a value that is no number
  variant([](auto& b) { b.erase(b.begin(), b.begin() + 8); });  // a bare chunk
  for (size_t i = 0; i < refused.size(); ++i) {
    EXPECT_FALSE(load(plugin, ByteSource(refused[i]))) << "variant " << i;
    EXPECT_EQ(plugin.value(quillet::engine::kParamRepeat), 0.25f) << "variant " << i;
  }
  // A read error after the whole payload, where the end should be.
  EXPECT_FALSE(load(plugin, ByteSource(good, 52, /*failAtEnd=*/true)));
  ByteSource stalled(good);
  stalled.stream.read = [](const clap_istream_t*, void*, uint64_t size) -> int64_t {
    return static_cast<int64_t>(size) + 1;  // claims more than asked
  };
  EXPECT_FALSE(plugin.ext<clap_plugin_state_t>("clap.state")->load(plugin.get(), &stalled.stream));
  EXPECT_EQ(saved(plugin), good);
}

TEST(ClapState, ClampsAnInfiniteValueAsEveryEditionDoes) {
  TestHost host;
  Instance plugin(host);
  std::vector<uint8_t> bytes = saved(plugin);
  setFloatAt(bytes, 8 + 4 * quillet::engine::kParamRepeat, HUGE_VALF);
  setFloatAt(bytes, 8 + 4 * quillet::engine::kParamPan, -HUGE_VALF);
  ASSERT_TRUE(load(plugin, ByteSource(bytes)));
  EXPECT_EQ(plugin.value(quillet::engine::kParamRepeat), 1.0);
  EXPECT_EQ(plugin.value(quillet::engine::kParamPan), 0.0);
}

TEST(ClapState, SaveFailsWhenTheHostStreamFailsOrStalls) {
  TestHost host;
  Instance plugin(host);
  auto* state = plugin.ext<clap_plugin_state_t>("clap.state");
  clap_ostream_t failing{
      nullptr, [](const clap_ostream_t*, const void*, uint64_t) -> int64_t { return -1; }};
  clap_ostream_t stalled{nullptr,
                         [](const clap_ostream_t*, const void*, uint64_t) -> int64_t { return 0; }};
  EXPECT_FALSE(state->save(plugin.get(), &failing));
  EXPECT_FALSE(state->save(plugin.get(), &stalled));
  EXPECT_FALSE(state->save(plugin.get(), nullptr));
  EXPECT_FALSE(state->load(plugin.get(), nullptr));
}

}  // namespace
