// The core object as every format drives it: rates, blocks of any length,
// stores taken in at the block start, texts, state and the tail.
#include "core/echo_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "engine/echo_engine_probe.h"

namespace quillet::core {
namespace {

// The engine holds its delay memory inside the core: big, so on the heap.
std::unique_ptr<EchoCore> makeCore(double rate = 48000.0) {
  auto core = std::make_unique<EchoCore>();
  if (rate > 0.0) core->setSampleRate(rate);
  return core;
}

struct Stereo {
  explicit Stereo(size_t n, unsigned seed = 3) : inL(n), inR(n), outL(n), outR(n) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    for (size_t i = 0; i < n; ++i) {
      inL[i] = noise(gen);
      inR[i] = noise(gen);
    }
  }
  void run(EchoCore& core, size_t from, size_t frames) {
    const float* ins[2] = {inL.data() + from, inR.data() + from};
    float* outs[2] = {outL.data() + from, outR.data() + from};
    core.process(ins, outs, static_cast<uint32_t>(frames));
  }
  std::vector<float> inL, inR, outL, outR;
};

TEST(EchoCoreRates, OneRuleForEveryFormat) {
  for (double rate : {34.0, 8000.0, 44100.0, 48000.0, 192000.0, 1e6})
    EXPECT_TRUE(EchoCore::isUsableSampleRate(rate)) << rate;
  // Below about 33.4 Hz the shortest echo is less than a sample; above 1 MHz
  // the engine takes no memory and would only pass audio through.
  for (double rate :
       {0.0, -48000.0, 20.0, 33.3, 1000001.0, 1.5e6, 2e6, 1e7, 1e300,
        std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
    EXPECT_FALSE(EchoCore::isUsableSampleRate(rate)) << rate;
}

TEST(EchoCoreRates, UnusableRatePassesAudioThroughAndTakesNoMemory) {
  auto core = makeCore(2e6);
  EXPECT_FALSE(core->echoEngine().hasDelayMemory());
  core->setParameter(engine::kParamDry, 0.0f);
  core->setParameter(engine::kParamLevel, 1.0f);
  Stereo s(256);
  s.run(*core, 0, 256);
  EXPECT_EQ(s.outL, s.inL);
  EXPECT_EQ(s.outR, s.inR);
  EXPECT_EQ(core->tailFrames(), 0u);
  EXPECT_TRUE(core->setSampleRate(44100.0));
  EXPECT_TRUE(core->echoEngine().hasDelayMemory());
}

TEST(EchoCoreParams, QueuedStoresTakeEffectBeforeTheRateAndRestart) {
  EchoCore core;
  core.setParameter(engine::kParamRepeat, 0.75f);
  core.setParameter(engine::kParamLevel, 0.25f);
  core.setSampleRate(48000.0);
  // The smoothers start on the stored values, without a glide.
  EXPECT_EQ(engine::probe(core.echoEngine()).feedback.current, 1.5f);
  EXPECT_EQ(engine::probe(core.echoEngine()).level.current, 0.25f);
  core.setParameter(engine::kParamDry, 0.5f);
  core.restart();
  EXPECT_EQ(engine::probe(core.echoEngine()).dry.current, 0.5f);
  EXPECT_TRUE(engine::probe(core.echoEngine()).dry.settled);
}

TEST(EchoCoreParams, ListenerHearsEveryStoreOnTheStoringThread) {
  struct Heard : ParamListener {
    void parameterStored(int32_t index, float value) override {
      indices.push_back(index);
      values.push_back(value);
    }
    std::vector<int32_t> indices;
    std::vector<float> values;
  } heard;
  auto core = makeCore();
  core->setListener(&heard);
  core->setParameter(engine::kParamPan, 2.0f);
  EXPECT_EQ(heard.indices, (std::vector<int32_t>{engine::kParamPan}));
  EXPECT_EQ(heard.values, (std::vector<float>{1.0f}));
  uint8_t state[kStateBytes];
  core->saveState(state);
  EXPECT_TRUE(core->loadState(state, sizeof state));
  EXPECT_EQ(heard.indices.size(), 1u + kNumQuilletParams) << "a state is eleven stores";
  EXPECT_FALSE(core->loadStateStrict(state, sizeof state - 1));
  EXPECT_EQ(heard.indices.size(), 1u + kNumQuilletParams);
}

TEST(EchoCoreParams, TextsFollowTheStoredRangeAndTheRate) {
  auto core = makeCore(48000.0);
  char text[32];
  ASSERT_TRUE(core->valueToText(engine::kParamDelay, 1.0f, text, sizeof text));
  EXPECT_STREQ(text, "650.0 ms");
  core->setParameter(engine::kParamRange, 1.0f);
  ASSERT_TRUE(core->valueToText(engine::kParamDelay, 1.0f, text, sizeof text));
  EXPECT_STREQ(text, "2600.0 ms");
  float v = -1.0f;
  ASSERT_TRUE(core->textToValue(engine::kParamDelay, "480", &v));
  EXPECT_EQ(v, 0.0f);
  EXPECT_FALSE(core->textToValue(engine::kParamDelay, "soon", &v));
}

// A block longer than the engine counts runs as the engine's blocks back to
// back, and sounds as those blocks would.
TEST(EchoCoreBlocks, LongBlocksRunAsEngineBlocksBackToBack) {
  for (bool mono : {false, true}) {
    auto whole = makeCore(44100.0);
    auto pieces = makeCore(44100.0);
    for (EchoCore* c : {whole.get(), pieces.get()}) {
      c->echoEngine().setTickSource(nullptr);  // the same stretch noise in both
      c->setParameter(engine::kParamDelay, 0.1f);
      c->setParameter(engine::kParamRange, 0.0f);
      c->setParameter(engine::kParamRepeat, 0.4f);
      c->setParameter(engine::kParamLevel, 0.8f);
      c->setMonoIO(mono);
    }
    whole->setLongestEngineBlock(300);
    Stereo a(4000), b(4000);
    a.run(*whole, 0, 4000);
    for (size_t from = 0; from < 4000; from += 300)
      b.run(*pieces, from, std::min<size_t>(300, 4000 - from));
    EXPECT_EQ(a.outL, b.outL) << "mono " << mono;
    EXPECT_EQ(a.outR, b.outR) << "mono " << mono;
  }
}

TEST(EchoCoreBlocks, AnEmptyBlockIsABlockAndApplyingStoresIsNot) {
  auto core = makeCore();
  const double offset = engine::probe(core->echoEngine()).antiDenormal;
  core->setParameter(engine::kParamLevel, 0.5f);
  core->applyPendingStores();
  EXPECT_EQ(engine::probe(core->echoEngine()).level.target, 0.5f);
  EXPECT_EQ(engine::probe(core->echoEngine()).antiDenormal, offset);
  const float* ins[2] = {nullptr, nullptr};
  float l = 0.0f, r = 0.0f;
  const float* realIns[2] = {&l, &r};
  float* outs[2] = {&l, &r};
  core->process(ins, outs, 0);  // null channels: nothing is touched
  EXPECT_EQ(engine::probe(core->echoEngine()).antiDenormal, offset);
  core->process(realIns, outs, 0);
  EXPECT_EQ(engine::probe(core->echoEngine()).antiDenormal, -offset);
}

TEST(EchoCoreBlocks, DoublePrecisionBlocksRun) {
  auto core = makeCore(0.0);
  core->setParameter(engine::kParamDry, 0.0f);
  core->setParameter(engine::kParamLevel, 1.0f);
  core->setParameter(engine::kParamDelay, 0.0f);
  core->setParameter(engine::kParamRange, 0.0f);
  core->setSampleRate(44100.0);
  std::vector<double> inL(2000, 0.0), inR(2000, 0.0), outL(2000), outR(2000);
  inL[0] = inR[0] = 0.5;
  const double* ins[2] = {inL.data(), inR.data()};
  double* outs[2] = {outL.data(), outR.data()};
  core->process(ins, outs, 2000);
  // The first echo 30 ms later: 1323 samples at 44.1 kHz.
  EXPECT_EQ(core->delayLengthFrames(), 1323);
  long first = -1;
  for (long i = 0; i < 2000 && first < 0; ++i)
    if (std::fabs(outL[i]) > 1e-3) first = i;
  EXPECT_EQ(first, 1323);
}

// Plays a tone at the frequency the loop lets through best (the slowest to
// die away), stops it, and measures when the echo has died away.
class EchoCoreTail : public ::testing::TestWithParam<float> {};

TEST_P(EchoCoreTail, TheTailLetsAHostRenderTheEchoOut) {
  const float repeat = GetParam();
  auto core = makeCore(0.0);
  core->setParameter(engine::kParamDelay, 0.0f);
  core->setParameter(engine::kParamRange, 0.0f);
  core->setParameter(engine::kParamRepeat, repeat);
  core->setParameter(engine::kParamLevel, 1.0f);
  core->setParameter(engine::kParamDry, 0.0f);
  core->setParameter(engine::kParamPingPong, 0.5f);  // the echo bounces from side to side
  core->setSampleRate(8000.0);                       // a low rate keeps the run short
  const int32_t length = core->delayLengthFrames();
  ASSERT_EQ(length, 240);
  const uint32_t tail = core->tailFrames();
  ASSERT_NE(tail, kInfiniteTail);
  if (repeat == 0.0f) {
    EXPECT_GT(tail, static_cast<uint32_t>(length)) << "the one echo, and the filters' ring";
    EXPECT_LT(tail, static_cast<uint32_t>(length) + 400u);
  }
  const size_t tone = 8000;
  const size_t total = tone + tail + 20 * static_cast<size_t>(length);
  std::vector<float> inL(total, 0.0f), inR(total, 0.0f), outL(total), outR(total);
  for (size_t i = 0; i < tone; ++i)
    inL[i] = inR[i] =
        static_cast<float>(0.5 * std::sin(2.0 * 3.14159265358979 * 490.0 * i / 8000.0));
  for (size_t from = 0; from < total; from += 512) {
    const float* ins[2] = {inL.data() + from, inR.data() + from};
    float* outs[2] = {outL.data() + from, outR.data() + from};
    core->process(ins, outs, static_cast<uint32_t>(std::min<size_t>(512, total - from)));
  }
  auto loudest = [&](size_t from, size_t to) {
    float peak = 0.0f;
    for (size_t i = tone + from; i < tone + to; ++i)
      peak = std::fmax(peak, std::fmax(std::fabs(outL[i]), std::fabs(outR[i])));
    return peak;
  };
  const float quiet = std::pow(10.0f, -90.0f / 20.0f);
  EXPECT_LT(loudest(tail, total - tone), quiet) << "after the tail";
  // Half way through the tail the echo is still there: the tail is not far too long.
  const size_t half = tail / 2;
  EXPECT_GT(loudest(half > static_cast<size_t>(length) ? half - length : 0, half), quiet);
}

// At 8 kHz the 7 kHz low-pass lies above half the rate and is left out, so
// the loop sustains itself from a "Repeat" of about 0.481: 0.47 is near that edge.
INSTANTIATE_TEST_SUITE_P(Repeats, EchoCoreTail, ::testing::Values(0.0f, 0.1f, 0.3f, 0.45f, 0.47f));

// The table's columns say what the core computes: the rows that shape the
// tail are those whose value moves tailFrames, and those that stretch the
// lines the ones that move the delay line's length.
TEST(EchoCoreTailBound, TheTableSaysWhichValuesShapeTheTailAndStretchTheLines) {
  for (int32_t index = 0; index < kNumQuilletParams; ++index) {
    SCOPED_TRACE(kQuilletParams[index].name);
    bool movesTail = false, movesLength = false;
    for (float from : {0.0f, 0.3f, 0.6f, 1.0f}) {
      for (float to : {0.0f, 0.3f, 0.6f, 1.0f}) {
        auto core = makeCore();
        core->setParameter(engine::kParamRepeat, 0.2f);
        core->setParameter(index, from);
        const uint32_t tail = core->tailFrames();
        const int32_t length = core->delayLengthFrames();
        core->setParameter(index, to);
        movesTail = movesTail || core->tailFrames() != tail;
        movesLength = movesLength || core->delayLengthFrames() != length;
      }
    }
    EXPECT_EQ(movesTail, kQuilletParams[index].shapesTail);
    EXPECT_EQ(movesLength, kQuilletParams[index].stretchesLines);
  }
}

TEST(EchoCoreTailBound, SustainingLoopsAndNoRate) {
  EchoCore none;
  EXPECT_EQ(none.tailFrames(), 0u) << "no rate, no echo";
  auto low = makeCore(8000.0);
  low->setParameter(engine::kParamRepeat, 0.49f);
  EXPECT_EQ(low->tailFrames(), kInfiniteTail) << "at 8 kHz the loop sustains itself from 0.481";
  auto core = makeCore(48000.0);
  core->setParameter(engine::kParamRepeat, 0.5f);
  EXPECT_EQ(core->tailFrames(), kInfiniteTail) << "from 100 % the loop sustains itself";
  core->setParameter(engine::kParamRepeat, 1.0f);
  EXPECT_EQ(core->tailFrames(), kInfiniteTail);
  core->setParameter(engine::kParamRepeat, 0.4f);
  core->setParameter(engine::kParamDelay, 1.0f);
  core->setParameter(engine::kParamRange, 1.0f);
  EXPECT_EQ(core->delayLengthFrames(), 124800);
  const uint32_t tail = core->tailFrames();
  EXPECT_GT(tail, 40u * 124800u);
  EXPECT_LT(tail, 80u * 124800u);
  EXPECT_LT(tail % 124800u, 48000u / 10) << "whole passes and a short ring";
}

// One thread processes, one stores every parameter and restores states, one
// reads values, texts and the tail, as hosts do on their threads at once.
// Under ThreadSanitizer, any unordered access fails.
TEST(EchoCoreThreads, StoresTextsAndStatesWhileAudioRuns) {
  auto core = makeCore(8000.0);
  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread storing([&] {
    std::mt19937 gen(5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    uint8_t state[kStateBytes];
    for (int n = 0; n < 20000 || blocks.load() < 100; ++n) {
      core->setParameter(n % kNumQuilletParams, unit(gen));
      if (n % 100 == 0) {
        core->saveState(state);
        core->loadState(state, sizeof state);
      }
    }
    stop = true;
  });
  std::thread reading([&] {
    char text[32];
    uint32_t sum = 0;
    while (!stop) {
      for (int32_t i = 0; i < kNumQuilletParams; ++i)
        core->valueToText(i, core->parameter(i), text, sizeof text);
      sum += core->tailFrames();
    }
    (void)sum;
  });
  Stereo s(256);
  while (!stop) {
    s.run(*core, 0, 256);
    ++blocks;
  }
  storing.join();
  reading.join();
  for (float x : s.outL) EXPECT_TRUE(std::isfinite(x));
  EXPECT_GE(blocks.load(), 100);
}

}  // namespace
}  // namespace quillet::core
