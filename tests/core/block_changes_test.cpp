// A block run in pieces at its changes' frames: where the pieces fall, in
// which order the changes are stored, and what a block whose changes do not
// fit the room keeps of them.
#include "core/block_changes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace quillet::core {
namespace {

// Records what the runner is asked to do, as one text per step:
// "s3:0.5" a store of index 3, "r0+64" a piece of 64 frames from frame 0.
class Recorder final : public PieceRunner {
 public:
  void apply(const TimedChange& change) override {
    steps.push_back("s" + std::to_string(change.index) + ":" + number(change.value));
  }
  void run(uint32_t offset, uint32_t frames) override {
    steps.push_back("r" + std::to_string(offset) + "+" + std::to_string(frames));
    covered += frames;
  }
  std::vector<std::string> steps;
  uint32_t covered = 0;

 private:
  static std::string number(float v) {
    std::string text = std::to_string(v);
    while (text.size() > 1 && text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
  }
};

using Steps = std::vector<std::string>;

TEST(BlockChanges, PiecesSplitAtEachFrameAndStoreInParameterOrderThere) {
  auto changes = std::make_unique<BlockChanges>();
  changes->add(40, engine::kParamMute, 1.0f);
  changes->add(10, engine::kParamLevel, 0.5f);
  changes->add(40, engine::kParamLevel, 0.25f);  // same frame: Level before Mute
  changes->add(10, engine::kParamLevel, 0.75f);  // same frame and index: the later wins
  changes->add(0, engine::kParamPan, 0.0f);
  changes->add(64, engine::kParamDry, 0.5f);   // the block's end: after the last piece
  changes->add(900, engine::kParamDry, 0.2f);  // past the end too
  Recorder runner;
  runInPieces(*changes, 64, runner);
  EXPECT_EQ(runner.steps, (Steps{"s6:0", "r0+10", "s2:0.5", "s2:0.75", "r10+30", "s2:0.25", "s4:1",
                                 "r40+24", "s5:0.5", "s5:0.2"}));
  EXPECT_EQ(runner.covered, 64u);

  // No changes: one piece; a format's own change (bypass) is handed back.
  changes->clear();
  changes->add(5, kFirstFormatChange, 1.0f);
  Recorder plain;
  runInPieces(*changes, 32, plain);
  EXPECT_EQ(plain.steps, (Steps{"r0+5", "s11:1", "r5+27"}));

  // A block that is not run stores everything in the same order.
  changes->clear();
  changes->add(9, engine::kParamDelay, 0.1f);
  changes->add(2, engine::kParamRepeat, 0.3f);
  Recorder stores;
  applyAll(*changes, stores);
  EXPECT_EQ(stores.steps, (Steps{"s1:0.3", "s0:0.1"}));
}

TEST(BlockChanges, DelayAndRangeSplitTheBlockLikeEveryOtherChange) {
  // How often the lines then stretch is the core's rule (stretch_spacing_test).
  auto changes = std::make_unique<BlockChanges>();
  changes->add(3, engine::kParamDelay, 0.2f);
  changes->add(20, engine::kParamRange, 1.0f);
  changes->add(20, engine::kParamLevel, 0.9f);
  changes->add(21, engine::kParamDelay, 0.4f);
  Recorder mixed;
  runInPieces(*changes, 32, mixed);
  EXPECT_EQ(mixed.steps,
            (Steps{"r0+3", "s0:0.2", "r3+17", "s2:0.9", "s3:1", "r20+1", "s0:0.4", "r21+11"}));
}

// Follows, frame by frame, how late each index's value is: the changes'
// values are their own frames / 8192 (exact), so the frame a value was sent
// for is known wherever it is in effect.
class Lateness final : public PieceRunner {
 public:
  void apply(const TimedChange& change) override { sentAt[change.index] = change.value * 8192.0f; }
  void run(uint32_t offset, uint32_t frames) override {
    for (uint32_t f = offset; f < offset + frames; ++f)
      for (int32_t i = 0; i <= kFirstFormatChange; ++i)
        if (sentAt[i] >= 0.0f) worst = std::max(worst, static_cast<float>(f) - sentAt[i]);
    covered += frames;
  }
  float sentAt[kFirstFormatChange + 1] = {-1.0f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f,
                                          -1.0f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f};
  float worst = 0.0f;
  uint32_t covered = 0;
};

TEST(BlockChanges, AFloodBeyondTheRoomFollowsEveryValueWithinAFewFrames) {
  static_assert(kFirstFormatChange + 1 == 12, "every table index and VST3's bypass");
  auto changes = std::make_unique<BlockChanges>();
  for (uint32_t frames : {4096u, 8192u}) {
    // "Delay" alone at every frame (the worst ride), then every table index
    // and the bypass at every frame (the worst flood): 4096 to 98304 changes.
    for (int32_t indexes : {1, kFirstFormatChange + 1}) {
      changes->clear();
      for (uint32_t f = 0; f < frames; ++f)
        for (int32_t i = 0; i < indexes; ++i) changes->add(f, i, static_cast<float>(f) / 8192.0f);
      EXPECT_LE(changes->size(), BlockChanges::kCapacity);
      Lateness runner;
      runInPieces(*changes, frames, runner);
      EXPECT_EQ(runner.covered, frames);
      // At most 63 frames late: 1.4 ms at 44.1 kHz, 0.33 ms at 192 kHz; one
      // parameter alone within 3 frames.
      EXPECT_LE(runner.worst, indexes == 1 ? 3.0f : 63.0f) << frames << " frames, " << indexes;
      EXPECT_EQ(runner.sentAt[0], static_cast<float>(frames - 1)) << "the last value arrives";
    }
  }

  // A flood at one frame: stored there in index order, the last value of
  // each index last; indexes that do not exist are dropped.
  changes->clear();
  for (uint32_t i = 0; i < 3 * BlockChanges::kCapacity; ++i)
    changes->add(1, static_cast<int32_t>(i % 3), static_cast<float>(i));
  changes->add(3, -1, 0.3f);
  changes->add(3, 99, 0.3f);
  Recorder runner;
  runInPieces(*changes, 16, runner);
  ASSERT_GE(runner.steps.size(), 5u);
  EXPECT_EQ(runner.steps.front(), "r0+1");
  EXPECT_EQ(runner.steps.back(), "r1+15");
  const size_t n = runner.steps.size();
  EXPECT_EQ(runner.steps[n - 2], "s2:12287");
  EXPECT_EQ(std::count(runner.steps.begin(), runner.steps.end(), "s0:12285"), 1);
  EXPECT_TRUE(
      std::is_sorted(runner.steps.begin() + 1, runner.steps.end() - 1,
                     [](const std::string& a, const std::string& b) { return a[1] < b[1]; }));
}

}  // namespace
}  // namespace quillet::core
