// The echo as the JACK callback runs it: silence until the first sound after
// every fresh start, then exactly the core's audio; a new rate set while the
// audio thread keeps calling; and no allocation on the audio thread.
#include "standalone/echo_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "host/validate/allocation_trap.h"

namespace {

using quillet::core::EchoCore;
using quillet::standalone::EchoRunner;

constexpr uint32_t kPeriod = 64;

struct Block {
  std::vector<float> in[2], out[2];
  explicit Block(uint32_t frames) {
    for (int c = 0; c < 2; ++c) in[c].assign(frames, 0.0f), out[c].assign(frames, 1.0f);
  }
  void sound(uint32_t seed) {
    for (int c = 0; c < 2; ++c)
      for (size_t i = 0; i < in[c].size(); ++i)
        in[c][i] = 0.5f * std::sin(0.05f * static_cast<float>(seed * 97 + i * (c + 2)));
  }
  void silence() {
    for (auto& channel : in) std::fill(channel.begin(), channel.end(), 0.0f);
  }
  const float* const* inputs() {
    ptrsIn[0] = in[0].data(), ptrsIn[1] = in[1].data();
    return ptrsIn;
  }
  float* const* outputs() {
    ptrsOut[0] = out[0].data(), ptrsOut[1] = out[1].data();
    return ptrsOut;
  }
  bool silent() const {
    for (const auto& channel : out)
      for (float v : channel)
        if (v != 0.0f) return false;
    return true;
  }
  quillet::core::BlockChanges& noChanges() {
    changes.clear();
    return changes;
  }
  const float* ptrsIn[2];
  float* ptrsOut[2];
  quillet::core::BlockChanges changes;
};

void setValues(quillet::core::EchoCore& core, float level) {
  core.setParameter(quillet::engine::kParamDelay,
                    0.05f);  // a short echo, heard within a few blocks
  core.setParameter(quillet::engine::kParamRepeat, 0.6f);
  core.setParameter(quillet::engine::kParamLevel, level);
  core.setParameter(quillet::engine::kParamPingPong, 0.5f);
}

// The reference: a core set up afresh, then fed the sound from its first block.
std::vector<float> freshRender(double rate, float level, int blocks) {
  quillet::core::EchoCore core;
  setValues(core, level);
  core.setSampleRate(rate);
  std::vector<float> rendered;
  Block block(kPeriod);
  for (int b = 0; b < blocks; ++b) {
    block.sound(b);
    core.process(block.inputs(), block.outputs(), kPeriod);
    for (int c = 0; c < 2; ++c)
      rendered.insert(rendered.end(), block.out[c].begin(), block.out[c].end());
  }
  return rendered;
}

std::vector<float> renderSound(EchoRunner& runner, int blocks) {
  std::vector<float> rendered;
  Block block(kPeriod);
  for (int b = 0; b < blocks; ++b) {
    block.sound(b);
    runner.process(block.inputs(), block.outputs(), kPeriod, block.noChanges());
    for (int c = 0; c < 2; ++c)
      rendered.insert(rendered.end(), block.out[c].begin(), block.out[c].end());
  }
  return rendered;
}

TEST(EchoRunner, SilentUntilStartedAndAtRatesTheEchoCannotRunAt) {
  quillet::core::EchoCore core;
  EchoRunner runner(core);
  Block block(kPeriod);
  block.sound(1);
  runner.process(block.inputs(), block.outputs(), kPeriod, block.noChanges());
  EXPECT_TRUE(block.silent());
  EXPECT_FALSE(runner.startAt(0.0));
  EXPECT_FALSE(runner.startAt(NAN));
  EXPECT_EQ(runner.rate(), 0.0);
  runner.process(block.inputs(), block.outputs(), kPeriod, block.noChanges());
  EXPECT_TRUE(block.silent());
}

TEST(EchoRunner, WaitsForTheFirstSoundThenSoundsAsAFreshCore) {
  quillet::core::EchoCore core;
  EchoRunner runner(core);
  setValues(core, 0.3f);
  ASSERT_TRUE(runner.startAt(48000.0));
  EXPECT_EQ(runner.rate(), 48000.0);
  // Silent periods, with a value changed in them: answered with silence, and
  // the echo starts on the new value without a glide from the old one.
  Block block(kPeriod);
  for (int b = 0; b < 20; ++b) {
    if (b == 7) core.setParameter(quillet::engine::kParamLevel, 0.9f);
    block.silence();
    runner.process(block.inputs(), block.outputs(), kPeriod, block.noChanges());
    EXPECT_TRUE(block.silent()) << b;
  }
  const std::vector<float> heard = renderSound(runner, 60);
  EXPECT_NE(std::count(heard.begin(), heard.end(), 0.0f), static_cast<long>(heard.size()));
  EXPECT_EQ(heard, freshRender(48000.0, 0.9f, 60));
}

TEST(EchoRunner, ANewRateIsAFreshStartThere) {
  quillet::core::EchoCore core;
  EchoRunner runner(core);
  setValues(core, 0.5f);
  ASSERT_TRUE(runner.startAt(48000.0));
  renderSound(runner, 30);  // echoes in the lines
  ASSERT_TRUE(runner.startAt(44100.0));
  EXPECT_EQ(runner.rate(), 44100.0);
  // Nothing of the old echo is left, and the next sound is the first.
  Block block(kPeriod);
  for (int b = 0; b < 5; ++b) {
    runner.process(block.inputs(), block.outputs(), kPeriod, block.noChanges());
    EXPECT_TRUE(block.silent()) << b;
  }
  EXPECT_EQ(renderSound(runner, 60), freshRender(44100.0, 0.5f, 60));
}

// Changes at their frames (MIDI's) split the period as the plug-ins' timed
// events split a host's block: the same output as a fresh core run in those
// pieces with the values stored at each split; and stored all the same in a
// period the runner answers with silence.
TEST(EchoRunner, ChangesLandAtTheirFrames) {
  quillet::core::EchoCore core, reference;
  EchoRunner runner(core);
  setValues(core, 0.5f);
  setValues(reference, 0.5f);
  ASSERT_TRUE(runner.startAt(48000.0));
  // The silent period's change: the sound starts on it, as on a fresh core's value.
  reference.setParameter(quillet::engine::kParamPan, 0.25f);
  reference.setSampleRate(48000.0);
  Block block(kPeriod), same(kPeriod);
  block.silence();
  block.changes.clear();
  block.changes.add(10, quillet::engine::kParamPan,
                    0.25f);  // in a silent period: stored, taken at the sound
  runner.process(block.inputs(), block.outputs(), kPeriod, block.changes);
  EXPECT_TRUE(block.silent());
  EXPECT_EQ(core.parameter(quillet::engine::kParamPan), 0.25f);
  size_t differ = 0;
  for (int b = 0; b < 40; ++b) {
    block.sound(b);
    same.sound(b);
    block.changes.clear();
    // Out of order on purpose: the runner sorts them.
    block.changes.add(40, quillet::engine::kParamRepeat, 0.1f * static_cast<float>(b % 7));
    block.changes.add(7, quillet::engine::kParamLevel, 0.02f * static_cast<float>(b % 30));
    runner.process(block.inputs(), block.outputs(), kPeriod, block.changes);
    const uint32_t splits[] = {0, 7, 40, kPeriod};
    for (int p = 0; p < 3; ++p) {
      if (p == 1)
        reference.setParameter(quillet::engine::kParamLevel, 0.02f * static_cast<float>(b % 30));
      if (p == 2)
        reference.setParameter(quillet::engine::kParamRepeat, 0.1f * static_cast<float>(b % 7));
      const float* in[2] = {same.in[0].data() + splits[p], same.in[1].data() + splits[p]};
      float* out[2] = {same.out[0].data() + splits[p], same.out[1].data() + splits[p]};
      reference.process(in, out, splits[p + 1] - splits[p]);
    }
    for (int c = 0; c < 2; ++c) differ += block.out[c] != same.out[c];
  }
  EXPECT_EQ(differ, 0u);
}

TEST(EchoRunner, TheAudioThreadNeverAllocates) {
  if (!quillet::host::allocation_trap::available())
    GTEST_SKIP() << "no allocation trap in this build";
  quillet::core::EchoCore core;
  EchoRunner runner(core);
  setValues(core, 0.5f);
  ASSERT_TRUE(runner.startAt(48000.0));
  Block block(kPeriod);
  quillet::host::allocation_trap::arm();
  for (int b = 0; b < 50; ++b) {
    if (b % 2) block.sound(b);
    core.setParameter(quillet::engine::kParamDelay, 0.01f * static_cast<float>(b % 10));
    quillet::core::BlockChanges& changes = block.noChanges();
    changes.add(static_cast<uint32_t>(b), quillet::engine::kParamRepeat,
                0.01f * static_cast<float>(b));
    changes.add(30, quillet::engine::kParamRange, b % 3 ? 0.0f : 1.0f);
    runner.process(block.inputs(), block.outputs(), kPeriod, changes);
  }
  EXPECT_EQ(quillet::host::allocation_trap::disarm(), 0u);
}

// Run under ThreadSanitizer (scripts/test-tsan.sh): the audio thread calling
// without pause while the control thread changes the rate and the values.
TEST(EchoRunner, RateChangesWhileTheAudioThreadRunsThreads) {
  quillet::core::EchoCore core;
  EchoRunner runner(core);
  setValues(core, 0.5f);
  ASSERT_TRUE(runner.startAt(48000.0));
  std::atomic<bool> stop{false};
  std::atomic<bool> finite{true};
  std::atomic<int> periods{0};
  std::thread audio([&] {
    Block block(kPeriod);
    for (uint32_t b = 0; !stop.load(); ++b) {
      block.sound(b);
      runner.process(block.inputs(), block.outputs(), kPeriod, block.noChanges());
      for (const auto& channel : block.out)
        for (float v : channel)
          if (!std::isfinite(v)) finite.store(false);
      periods.fetch_add(1);
    }
  });
  const double rates[] = {44100.0, 96000.0, 22050.0, 48000.0};
  for (int i = 0; i < 40; ++i) {
    core.setParameter(quillet::engine::kParamDelay, 0.025f * static_cast<float>(i % 40));
    EXPECT_TRUE(runner.startAt(rates[i % 4]));
  }
  while (periods.load() < 100) std::this_thread::yield();
  stop.store(true);
  audio.join();
  EXPECT_TRUE(finite.load());
  EXPECT_EQ(runner.rate(), 48000.0);
}

}  // namespace
