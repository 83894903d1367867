// Spaced stretches (EchoCore::spaceStretches), as VST3, CLAP and the
// standalone program run the core: the lines stretch at most once in any
// 2 ms, across blocks as within one, each stretch taking the latest "Delay"
// and "Range"; a stretch that waits happens exactly where the spacing
// passes, inside a block too. Unspaced, as VST 2.4 and LV2 run it, every
// block whose delay length changed stretches at its start.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/block_changes.h"
#include "core/echo_core.h"
#include "engine/echo_engine_probe.h"

namespace quillet::core {
namespace {

std::unique_ptr<EchoCore> spacedCore(double rate, bool spaced = true) {
  auto core = std::make_unique<EchoCore>();
  core->echoEngine().setTickSource([]() -> uint32_t { return 7u; });  // the same noise every time
  core->spaceStretches(spaced);
  core->setParameter(engine::kParamRange, 1.0f);
  core->setParameter(engine::kParamDelay, 0.5f);
  core->setParameter(engine::kParamRepeat, 0.6f);
  core->setParameter(engine::kParamLevel, 0.8f);
  core->setSampleRate(rate);
  return core;
}

// Noise in, the output kept: one block of `frames` frames from frame `at`
// of a long signal.
struct Signal {
  explicit Signal(size_t n) : in(2 * n), out(2 * n), frames(n) {
    uint32_t s = 1;
    for (float& x : in)
      x = static_cast<float>((s = s * 196314165u + 907633515u) >> 8) * 1e-8f - 0.08f;
  }
  void run(EchoCore& core, size_t at, uint32_t n) {
    const float* i[2] = {in.data() + at, in.data() + frames + at};
    float* o[2] = {out.data() + at, out.data() + frames + at};
    core.process(i, o, n);
  }
  std::vector<float> in, out;
  size_t frames;
};

// A block's pieces run frame by frame, so that every frame is where a
// stretch may happen: the frames at which the delay length changed.
class FrameByFrame final : public PieceRunner {
 public:
  FrameByFrame(EchoCore& core, Signal& signal) : core(core), signal(signal) {}
  void apply(const TimedChange& change) override { core.setParameter(change.index, change.value); }
  void run(uint32_t offset, uint32_t frames) override {
    for (uint32_t f = 0; f < frames; ++f) {
      const int32_t before = engine::probe(core.echoEngine()).delayLength;
      signal.run(core, blockStart + offset + f, 1);
      if (engine::probe(core.echoEngine()).delayLength != before) {
        stretchFrames.push_back(blockStart + offset + f);
        lengths.push_back(engine::probe(core.echoEngine()).delayLength);
        wanted.push_back(core.delayLengthFrames());  // the latest values' length
      }
    }
  }
  EchoCore& core;
  Signal& signal;
  uint32_t blockStart = 0;
  std::vector<uint32_t> stretchFrames;
  std::vector<int32_t> lengths, wanted;
};

TEST(SpacedStretches, TwoMillisecondsInFramesAtEveryRate) {
  EXPECT_EQ(engine::stretchSpacingFrames(44100.0), 88);
  EXPECT_EQ(engine::stretchSpacingFrames(48000.0), 96);
  EXPECT_EQ(engine::stretchSpacingFrames(192000.0), 384);
  EXPECT_EQ(engine::stretchSpacingFrames(100.0), 1);
  EXPECT_EQ(engine::stretchSpacingFrames(0.0), 1);
}

// A host's "Delay" point on every frame of 200-frame blocks at 48 kHz: one
// stretch every 96 frames, the spacing carried from block to block, each to
// the length of the point that came last.
TEST(SpacedStretches, ARideStretchesEveryTwoMillisecondsAcrossBlocks) {
  constexpr uint32_t kBlock = 200;
  constexpr int kBlocks = 6;
  auto core = spacedCore(48000.0);
  Signal signal(kBlock * kBlocks);
  FrameByFrame runner(*core, signal);
  auto changes = std::make_unique<BlockChanges>();
  float delay = 0.5f;
  for (int b = 0; b < kBlocks; ++b) {
    changes->clear();
    for (uint32_t f = 0; f < kBlock; ++f) changes->add(f, engine::kParamDelay, delay += 0.0002f);
    runner.blockStart = b * kBlock;
    runInPieces(*changes, kBlock, runner);
  }
  std::vector<uint32_t> every96;
  for (uint32_t f = 0; f < kBlock * kBlocks; f += 96) every96.push_back(f);
  EXPECT_EQ(runner.stretchFrames, every96);
  EXPECT_EQ(runner.lengths, runner.wanted);
}

// A "Delay" point on every frame of 4096- and 8192-frame blocks, far more
// than a block's list holds: the echo time follows the ride to the block's
// end, a stretch every 2 ms, each to a point at most a few frames old.
TEST(SpacedStretches, ARideOnEveryFrameOfLongBlocksIsFollowedToTheEnd) {
  for (double rate : {48000.0, 192000.0}) {
    for (uint32_t block : {4096u, 8192u}) {
      auto core = spacedCore(rate);
      Signal signal(block);
      FrameByFrame runner(*core, signal);
      auto changes = std::make_unique<BlockChanges>();
      std::vector<int32_t> lengthAt(block);  // the echo time each point asks for
      for (uint32_t f = 0; f < block; ++f) {
        const float delay = 0.3f + 0.5f * static_cast<float>(f) / static_cast<float>(block);
        changes->add(f, engine::kParamDelay, delay);
        core->setParameter(engine::kParamDelay, delay);
        lengthAt[f] = core->delayLengthFrames();
      }
      core->setParameter(engine::kParamDelay, 0.5f);
      core->applyPendingStores();
      runInPieces(*changes, block, runner);
      const uint32_t spacing = static_cast<uint32_t>(engine::stretchSpacingFrames(rate));
      ASSERT_FALSE(runner.stretchFrames.empty());
      EXPECT_LE(runner.stretchFrames.front(), 3u) << rate << " Hz";
      EXPECT_GT(runner.stretchFrames.back() + spacing + 3, block) << "followed to the end";
      for (size_t k = 0; k < runner.stretchFrames.size(); ++k) {
        const uint32_t f = runner.stretchFrames[k];
        if (k > 0) {
          EXPECT_EQ(f, runner.stretchFrames[k - 1] + spacing);
        }
        // The length of a point sent at most 3 frames before (the ride rises).
        EXPECT_LE(runner.lengths[k], lengthAt[f]);
        EXPECT_GE(runner.lengths[k], lengthAt[f < 3 ? 0 : f - 3]) << rate << " Hz, frame " << f;
      }
    }
  }
}

// Values stored before every block, as the standalone program's panel stores
// them, in 64-frame blocks at 192 kHz: a stretch every 384 frames (every
// sixth block) when spaced, in every block when not.
TEST(SpacedStretches, ValuesStoredBeforeEveryBlock) {
  for (bool spaced : {true, false}) {
    auto core = spacedCore(192000.0, spaced);
    Signal signal(64 * 60);
    std::vector<int> stretchBlocks;
    for (int b = 0; b < 60; ++b) {
      core->setParameter(engine::kParamDelay, 0.501f + 0.001f * static_cast<float>(b));
      const int32_t before = engine::probe(core->echoEngine()).delayLength;
      signal.run(*core, 64 * b, 64);
      if (engine::probe(core->echoEngine()).delayLength != before) stretchBlocks.push_back(b);
      const bool atLatest =
          engine::probe(core->echoEngine()).delayLength == core->delayLengthFrames();
      EXPECT_EQ(atLatest, !spaced || b % 6 == 0) << "block " << b;
    }
    std::vector<int> expected;
    for (int b = 0; b < 60; b += spaced ? 6 : 1) expected.push_back(b);
    EXPECT_EQ(stretchBlocks, expected) << (spaced ? "spaced" : "every block");
  }
}

// A stretch that waits happens where the spacing passes, inside a block: the
// same samples as the block split there by hand; not split, and unspaced, the
// stretch at the block's start sounds different.
TEST(SpacedStretches, AWaitingStretchHappensInsideTheBlockWhereItFallsDue) {
  std::unique_ptr<EchoCore> cores[3] = {spacedCore(48000.0), spacedCore(48000.0),
                                        spacedCore(48000.0, false)};
  Signal signals[3] = {Signal(4000), Signal(4000), Signal(4000)};
  for (int c = 0; c < 3; ++c) {
    for (int b = 0; b < 50; ++b) signals[c].run(*cores[c], 64 * b, 64);  // the lines fill
    cores[c]->setParameter(engine::kParamDelay, 0.45f);
    signals[c].run(*cores[c], 3200, 64);                // a stretch at its first frame
    cores[c]->setParameter(engine::kParamDelay, 0.4f);  // 64 frames on: 32 before it may stretch
    if (c == 1) {
      signals[c].run(*cores[c], 3264, 32);
      signals[c].run(*cores[c], 3296, 64);
    } else {
      signals[c].run(*cores[c], 3264, 96);
    }
  }
  EXPECT_EQ(std::memcmp(signals[0].out.data(), signals[1].out.data(),
                        sizeof(float) * signals[0].out.size()),
            0);
  EXPECT_NE(std::memcmp(signals[0].out.data(), signals[2].out.data(),
                        sizeof(float) * signals[0].out.size()),
            0);
  EXPECT_EQ(engine::probe(cores[0]->echoEngine()).delayLength, cores[0]->delayLengthFrames());
}

}  // namespace
}  // namespace quillet::core
