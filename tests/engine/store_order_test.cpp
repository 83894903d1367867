// Stores reach the engine through a queue drained at the start of each block.
// Driven from one thread, the built plug-ins must sound exactly like an engine
// that reacts to every store the moment it is made: same order, same values,
// every mute sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/echo_engine.h"
#include "host/plugin/vst2/plugin_host.h"
#include "tests/plugin/loaded_plugin.h"

using namespace quillet::engine;

namespace {

// The same calls on the plug-in and on an engine that reacts at once.
class Pair {
 public:
  explicit Pair(const std::string& path) {
    std::string error;
    plugin = quillet::host::PluginInstance::create(loadedLibrary(path), &error);
    if (!plugin) {
      ADD_FAILURE() << error;
      return;
    }
    plugin->dispatch(effOpen);
    plugin->dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    plugin->dispatch(effMainsChanged, 0, 1);
    direct.sampleRateChanged(44100.0f, params);
  }
  bool ok() const { return plugin && plugin->effect(); }

  void set(int index, float value) {
    AEffect* e = plugin->effect();
    e->setParameter(e, index, value);
    params[index] = std::min(1.0f, std::max(0.0f, value));
    direct.parameterChanged(index, params);
  }

  void restore(const float (&values)[11]) {
    plugin->dispatch(effSetChunk, 0, sizeof(values), const_cast<float*>(values));
    for (int i = 0; i < 11; ++i) {
      params[i] = std::min(1.0f, std::max(0.0f, values[i]));
      direct.parameterChanged(i, params);
    }
  }

  // One block of noise through both; true when the outputs are bit-identical.
  bool block(int32_t frames) {
    std::vector<float> inL(frames), inR(frames);
    for (int32_t i = 0; i < frames; ++i) {
      inL[i] = dist(gen);
      inR[i] = dist(gen);
    }
    std::vector<float> pl(frames), pr(frames), dl(frames), dr(frames);
    float* ins[2] = {inL.data(), inR.data()};
    float* pluginOuts[2] = {pl.data(), pr.data()};
    float* directOuts[2] = {dl.data(), dr.data()};
    AEffect* e = plugin->effect();
    e->processReplacing(e, ins, pluginOuts, frames);
    direct.process(params, false, ins, directOuts, frames);
    return std::memcmp(pl.data(), dl.data(), frames * sizeof(float)) == 0 &&
           std::memcmp(pr.data(), dr.data(), frames * sizeof(float)) == 0;
  }

 private:
  std::unique_ptr<quillet::host::PluginInstance> plugin;
  EchoEngine direct;
  EchoParams params;
  std::mt19937 gen{7};
  std::uniform_real_distribution<float> dist{-0.5f, 0.5f};
};

class StoreOrder : public ::testing::TestWithParam<const char*> {};

TEST_P(StoreOrder, ReactionsBetweenBlocksRunInStoreOrder) {
  Pair pair(GetParam());
  ASSERT_TRUE(pair.ok());
  pair.set(2, 1.0f);
  pair.set(5, 0.3f);
  pair.set(1, 0.6f);
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(pair.block(512)) << i;
  // A glide snapped by a mute, then a glide after it: the order decides.
  pair.set(1, 0.3f);
  pair.set(4, 1.0f);
  pair.set(1, 0.7f);
  pair.set(6, 0.9f);
  ASSERT_TRUE(pair.block(512));
  pair.set(4, 0.0f);
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(pair.block(256)) << i;
  // Mute stored twice between two blocks, with the echo running before.
  pair.set(4, 1.0f);
  pair.set(4, 0.7f);
  pair.set(4, 0.0f);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(pair.block(333)) << i;
  // Out-of-range and unchanged values.
  pair.set(7, 3.0f);
  pair.set(7, 1.0f);
  pair.set(2, -1.0f);
  pair.set(2, 0.8f);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(pair.block(100)) << i;
}

TEST_P(StoreOrder, ChunkRestoreWithMuteOnActsInIndexOrder) {
  Pair pair(GetParam());
  ASSERT_TRUE(pair.ok());
  pair.set(2, 1.0f);
  pair.set(1, 0.8f);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(pair.block(512)) << i;
  // Mute on in the chunk: after Repeat and Level have new targets, before Dry,
  // Pan and X-Feed.
  const float muted[11] = {0.1f, 0.4f, 0.6f, 0.2f, 1.0f, 0.2f, 0.3f, 0.4f, 0.0f, 1.0f, 0.0f};
  pair.restore(muted);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(pair.block(512)) << i;
  const float playing[11] = {0.1f, 0.5f, 0.9f, 0.2f, 0.0f, 0.5f, 0.5f, 0.1f, 0.0f, 1.0f, 0.5f};
  pair.restore(playing);
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(pair.block(512)) << i;
}

TEST_P(StoreOrder, MuteResentBeforeEveryBlockAndThenReleased) {
  Pair pair(GetParam());
  ASSERT_TRUE(pair.ok());
  pair.set(2, 1.0f);
  pair.set(1, 0.9f);
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(pair.block(64)) << i;
  // An automation lane sending Mute on before every block: the lines are
  // emptied over the muted blocks, but the echo starts again from silence.
  for (int i = 0; i < 3; ++i) {
    pair.set(4, 1.0f);
    ASSERT_TRUE(pair.block(64)) << i;
  }
  pair.set(4, 0.0f);
  for (int i = 0; i < 400; ++i) ASSERT_TRUE(pair.block(64)) << i;
}

// A host loading many presets between two blocks: more stores than the queue
// holds. A "Mute" switched on and off again among them still empties the echo.
TEST_P(StoreOrder, MuteLostInAFloodOfStoresStillEmptiesTheEcho) {
  for (bool flood : {false, true}) {
    std::string error;
    auto plugin = quillet::host::PluginInstance::create(loadedLibrary(GetParam()), &error);
    ASSERT_TRUE(plugin) << error;
    AEffect* e = plugin->effect();
    plugin->dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    e->setParameter(e, 2, 1.0f);  // Level
    e->setParameter(e, 5, 0.0f);  // Dry: only the echo is heard
    e->setParameter(e, 0, 0.5f);  // Delay: 95 ms in the short range
    e->setParameter(e, 3, 0.0f);
    std::vector<float> inL(512, 0.0f), inR(512, 0.0f), outL(512), outR(512);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    inL[0] = inR[0] = 1.0f;
    e->processReplacing(e, ins, outs, 512);
    inL[0] = inR[0] = 0.0f;
    if (flood) {
      for (int i = 0; i < 5000; ++i) e->setParameter(e, 6, (i % 3) / 2.0f);  // Pan
      e->setParameter(e, 4, 1.0f);
      e->setParameter(e, 4, 0.0f);
    }
    e->setParameter(e, 6, 0.5f);
    float loudest = 0.0f;
    for (int block = 0; block < 20; ++block) {
      e->processReplacing(e, ins, outs, 512);
      for (int i = 0; i < 512; ++i)
        loudest = std::max({loudest, std::fabs(outL[i]), std::fabs(outR[i])});
    }
    if (flood) {
      EXPECT_LT(loudest, 1e-6f) << "the mute sequence ran: nothing left to echo";
    } else {
      EXPECT_GT(loudest, 0.1f) << "without the mute the impulse echoes";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, StoreOrder, ::testing::Values(QTAP_PATH, QTAPG_PATH));

}  // namespace
