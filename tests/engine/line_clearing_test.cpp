// The lines emptied by "Mute" and by a restart are cleared a little per
// block, and never read before they are: the engine against the frame-by-frame
// oracle, which clears them in one go before its next echo block. Lines full
// of loud echoes (in the ring and past it) are emptied, then the echo resumes
// after no, one, a few or many muted blocks, with and without a stretch
// (shorter and longer) in the block that resumes, in blocks of random sizes.
// Every output sample, and the rings after every block, are the oracle's;
// once the clear has closed the whole memory is.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/echo_engine_probe.h"
#include "engine/reference_process.h"

using namespace quillet::engine;

namespace {

uint32_t tickNow = 0;
uint32_t testTick() { return tickNow; }

class EngineAndOracle {
 public:
  EngineAndOracle(float rate, const EchoParams& p) : p(p), gen(static_cast<unsigned>(rate)) {
    fast.setTickSource(&testTick);
    oracle.setTickSource(&testTick);
    oracle.setStretchFunction(&stretchRingsDirect);
    fast.sampleRateChanged(rate, p);
    oracle.sampleRateChanged(rate, p);
  }

  void set(int index, float value) {
    p[index] = value;
    fast.parameterChanged(index, p);
    oracle.parameterChanged(index, p);
  }

  void restart() {
    fast.restart(p);
    oracle.restart(p);
  }

  // Blocks of 1 .. maxBlock frames until `frames` have run; returns the
  // output samples that differ, and checks the rings after every block.
  long play(int32_t frames, int32_t maxBlock) {
    std::uniform_real_distribution<double> noise(-0.9, 0.9);
    std::uniform_int_distribution<int32_t> size(1, maxBlock);
    long differing = 0;
    for (int32_t done = 0; done < frames;) {
      const int32_t n = std::min(size(gen), frames - done);
      in[0].resize(n);
      in[1].resize(n);
      for (int c = 0; c < 2; ++c)
        for (double& x : in[c]) x = noise(gen);
      std::vector<double> a[2] = {std::vector<double>(n), std::vector<double>(n)};
      std::vector<double> b[2] = {std::vector<double>(n), std::vector<double>(n)};
      const double* ins[2] = {in[0].data(), in[1].data()};
      double* outA[2] = {a[0].data(), a[1].data()};
      double* outB[2] = {b[0].data(), b[1].data()};
      tickNow = static_cast<uint32_t>(gen());
      fast.process(p, false, ins, outA, n);
      processDirect(oracle, p, false, ins, outB, n);
      for (int c = 0; c < 2; ++c)
        differing += std::memcmp(a[c].data(), b[c].data(), sizeof(double) * n) != 0;
      // Muted, neither reads its lines (the oracle empties them only when the
      // echo resumes).
      if (!switchOn(p[kParamMute])) differing += !ringsEqual();
      done += n;
    }
    return differing;
  }

  // The rings as the echo reads them: what the engine counts as cleared is 0;
  // what a stretch being made has not reached yet is not read before it is
  // made (and compared then).
  bool ringsEqual() const {
    if (probe(fast).delayLength != probe(oracle).delayLength ||
        probe(fast).writePos != probe(oracle).writePos)
      return false;
    for (int32_t i = 0; i < probe(fast).delayLength; ++i) {
      if (!fast.madeYet(i)) continue;
      const bool zero = fast.countsAsCleared(i);
      const double l = zero ? 0.0 : probe(fast).delayL[i];
      const double r = zero ? 0.0 : probe(fast).delayR[i];
      if (std::memcmp(&l, &probe(oracle).delayL[i], sizeof l) != 0 ||
          std::memcmp(&r, &probe(oracle).delayR[i], sizeof r) != 0)
        return false;
    }
    return true;
  }

  bool memoryEqual() const {
    const size_t bytes = sizeof(double) * static_cast<size_t>(fast.capacity());
    return std::memcmp(probe(fast).delayL.get(), probe(oracle).delayL.get(), bytes) == 0 &&
           std::memcmp(probe(fast).delayR.get(), probe(oracle).delayR.get(), bytes) == 0;
  }

  EchoEngine fast, oracle;
  EchoParams p;
  std::mt19937 gen;
  std::vector<double> in[2];
};

// Loud echoes in the whole memory: the longest ring played full, then a
// shorter one, so that old samples lie past the ring too.
EchoParams loud() {
  EchoParams p;
  p[kParamRange] = 1.0f;
  p[kParamDelay] = 1.0f;
  p[kParamRepeat] = 0.9f;
  p[kParamLevel] = 1.0f;
  p[kParamKnobDust] = 0.0f;  // with the splice, which reads around the write position
  return p;
}

void fillMemory(EngineAndOracle& e) {
  e.play(e.fast.capacity() + 1000, 4096);
  e.set(kParamDelay, 0.7f);
  e.play(2000, 700);
}

// What the block that resumes the echo does to "Delay": nothing, a shorter
// ring, a longer one.
enum class Resume { kSameLength, kShorter, kLonger };

void checkMuteThenResume(float rate, int mutedBlocks, Resume resume, int32_t maxBlock) {
  EngineAndOracle e(rate, loud());
  fillMemory(e);
  e.set(kParamMute, 1.0f);
  EXPECT_EQ(e.play(mutedBlocks * 64, 64), 0);  // (mutedBlocks of 64 frames)
  if (resume == Resume::kShorter) e.p[kParamDelay] = 0.4f;
  if (resume == Resume::kLonger) e.p[kParamDelay] = 0.95f;
  e.set(kParamMute, 0.0f);
  EXPECT_EQ(e.play(static_cast<int32_t>(rate * 0.1f), maxBlock), 0)
      << rate << " Hz, " << mutedBlocks << " muted blocks, resume " << static_cast<int>(resume);
  // A second stretch while the clear may still be open, then the rest.
  e.p[kParamDelay] = 0.6f;
  EXPECT_EQ(e.play(static_cast<int32_t>(rate * 3.0f), 4096), 0);
  EXPECT_FALSE(e.fast.lineClearPending());
  EXPECT_TRUE(e.memoryEqual());
}

TEST(LineClearing, EchoAfterMuteReadsEmptyLinesAtEveryStageOfTheClear) {
  for (Resume resume : {Resume::kSameLength, Resume::kShorter, Resume::kLonger})
    for (int muted : {0, 1, 3, 200}) checkMuteThenResume(48000.0f, muted, resume, 700);
}

TEST(LineClearing, LongLinesAtHighRateInSmallBlocks) {
  for (Resume resume : {Resume::kSameLength, Resume::kShorter, Resume::kLonger})
    checkMuteThenResume(192000.0f, 1, resume, 64);
}

TEST(LineClearing, RestartWhilePlayingAndAgainBeforeTheClearCloses) {
  EngineAndOracle e(96000.0f, loud());
  fillMemory(e);
  e.restart();
  EXPECT_EQ(e.play(2000, 300), 0);
  EXPECT_TRUE(e.fast.lineClearPending());  // 2000 frames do not close it at 96 kHz
  e.p[kParamDelay] = 0.2f;
  e.restart();  // at the new length, the clear begun again from the whole memory
  EXPECT_EQ(e.play(3000, 300), 0);
  e.p[kParamDelay] = 0.8f;  // a stretch with part of the ring still uncleared
  EXPECT_EQ(e.play(static_cast<int32_t>(96000 * 3), 2048), 0);
  EXPECT_FALSE(e.fast.lineClearPending());
  EXPECT_TRUE(e.memoryEqual());
}

// The echo runs a few blocks after "Mute", so most of its 1.2 s ring still
// counts as empty, then stretches it: to 30 and 160 ms (steps of 40 and 7.5,
// the frames' pairs far apart), 480 ms, 2.6 s (a step below 1). The stretch
// is made in runs over the blocks after it and reads that part as zeros.
TEST(LineClearing, StretchSoonAfterMuteReadsTheEmptiedPartAsZeros) {
  const float rangeAndDelay[][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}};
  for (float rate : {48000.0f, 192000.0f})
    for (const auto& [range, delay] : rangeAndDelay) {
      EngineAndOracle e(rate, loud());
      fillMemory(e);
      e.set(kParamMute, 1.0f);
      EXPECT_EQ(e.play(64, 64), 0);
      e.set(kParamMute, 0.0f);
      EXPECT_EQ(e.play(300, 64), 0);
      ASSERT_TRUE(e.fast.lineClearPending());
      e.p[kParamRange] = range;
      e.p[kParamDelay] = delay;
      const std::string where =
          std::to_string(rate) + " Hz, to " + std::to_string(range) + ", " + std::to_string(delay);
      EXPECT_EQ(e.play(static_cast<int32_t>(rate * 0.05f), 64), 0) << where;
      EXPECT_EQ(e.play(static_cast<int32_t>(rate * 3.0f), 4096), 0) << where;
      EXPECT_FALSE(e.fast.lineClearPending());
      EXPECT_TRUE(e.memoryEqual()) << where;
    }
}

TEST(LineClearing, MuteFlippingEveryBlock) {
  EngineAndOracle e(48000.0f, loud());
  fillMemory(e);
  long differing = 0;
  for (int block = 0; block < 400; ++block) {
    e.set(kParamMute, block % 2 ? 0.0f : 1.0f);
    if (block % 6 == 1) e.p[kParamDelay] = 0.3f + 0.001f * static_cast<float>(block);
    differing += e.play(97, 97);
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
