// Setup numbers of the echo engine: delay lengths, memory size, filter and
// smoother coefficients, and the reaction to parameter changes.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/delay_length.h"
#include "engine/echo_engine_probe.h"
#include "engine/filter_design.h"
#include "engine_test_support.h"

using namespace quillet::engine;

namespace {

using quillet::test::prepare;

int32_t lengthAt(float delay, float range, float fs) {
  return static_cast<int32_t>(delaySamples(delay, range, fs));
}

struct LengthCase {
  float delay, range, fs;
  int32_t samples;
};

TEST(DelayLength, EveryRangeAt44100And48000) {
  const LengthCase cases[] = {
      {0.0f, 0.0f, 44100.0f, 1323},  {1.0f, 0.0f, 44100.0f, 7056},  {0.0f, 0.5f, 44100.0f, 5292},
      {1.0f, 0.5f, 44100.0f, 28665}, {0.0f, 1.0f, 44100.0f, 21168}, {1.0f, 1.0f, 44100.0f, 114660},
      {0.5f, 0.0f, 44100.0f, 4189},  {0.5f, 0.5f, 44100.0f, 11135}, {0.5f, 1.0f, 44100.0f, 32854},
      {0.0f, 0.0f, 48000.0f, 1440},  {1.0f, 0.0f, 48000.0f, 7680},  {0.0f, 0.5f, 48000.0f, 5760},
      {1.0f, 0.5f, 48000.0f, 31200}, {0.0f, 1.0f, 48000.0f, 23040}, {1.0f, 1.0f, 48000.0f, 124800},
  };
  for (const LengthCase& c : cases) {
    EXPECT_EQ(lengthAt(c.delay, c.range, c.fs), c.samples)
        << c.delay << " " << c.range << " " << c.fs;
  }
}

TEST(DelayLength, RangeThresholds) {
  const float belowThird = std::nextafter(0.33333334f, 0.0f);
  EXPECT_EQ(lengthAt(0.0f, belowThird, 44100.0f), 1323);
  EXPECT_EQ(lengthAt(0.0f, 0.33333334f, 44100.0f), 5292);
  EXPECT_EQ(lengthAt(0.0f, std::nextafter(0.6666666f, 0.0f), 44100.0f), 5292);
  EXPECT_EQ(lengthAt(0.0f, 0.6666666f, 44100.0f), 21168);
  EXPECT_EQ(lengthAt(0.0f, 0.66666669f, 44100.0f), 21168);
}

TEST(DelayLength, CapacityIsTheLongestDelay) {
  EXPECT_EQ(delayCapacity(44100.0f), 114660);
  EXPECT_EQ(delayCapacity(48000.0f), 124800);
  EchoEngine engine;
  EchoParams p;
  p[kParamDelay] = 1.0f;
  p[kParamRange] = 1.0f;
  prepare(engine, 44100.0f, p);
  EXPECT_EQ(engine.capacity(), 114660);
  EXPECT_EQ(probe(engine).delayLength, 114660);
}

TEST(DelayLength, LongestDelayFitsAtAnyRate) {
  EchoEngine engine;
  EchoParams p;
  p[kParamDelay] = 1.0f;
  p[kParamRange] = 1.0f;
  for (float fs : {33.4f, 1000.0f, 8000.0f, 11025.0f, 22050.0f, 88200.0f, 96000.0f, 176400.0f,
                   192000.0f, 352800.0f, 384000.0f, 705600.0f, 768000.0f, 44099.99f}) {
    SCOPED_TRACE(fs);
    prepare(engine, fs, p);
    ASSERT_TRUE(engine.hasDelayMemory());
    EXPECT_GE(probe(engine).delayLength, 1);
    EXPECT_LE(probe(engine).delayLength, engine.capacity());
  }
}

TEST(DelayLength, UnusableRatesTakeNoMemory) {
  EchoEngine engine;
  for (float fs : {0.0f, -44100.0f, NAN, INFINITY, 1.0f, 33.0f, 2.0e6f}) {
    SCOPED_TRACE(fs);
    prepare(engine, fs, EchoParams());
    EXPECT_FALSE(engine.hasDelayMemory());
    EXPECT_EQ(engine.capacity(), 0);
    EXPECT_EQ(probe(engine).delayLength, 0);
  }
  prepare(engine, 34.0f, EchoParams());  // 30 ms is one sample
  EXPECT_TRUE(engine.hasDelayMemory());
  EXPECT_EQ(probe(engine).delayLength, 4);  // default range: 120 ms
}

TEST(FilterCoefficients, At44100) {
  EchoEngine engine;
  prepare(engine, 44100.0f, EchoParams());
  EXPECT_NEAR(probe(engine).hpL.b0, 0.985951619, 5e-10);
  EXPECT_EQ(probe(engine).hpL.b1, -probe(engine).hpL.b0);
  EXPECT_NEAR(probe(engine).hpL.a1, -0.971903238, 5e-10);

  EXPECT_NEAR(probe(engine).shelfL.b0, 0.565206248, 5e-10);
  EXPECT_NEAR(probe(engine).shelfL.b1, -0.682448038, 5e-10);
  EXPECT_NEAR(probe(engine).shelfL.b2, 0.182705353, 5e-10);
  EXPECT_NEAR(probe(engine).shelfL.a1, -1.394239561, 5e-10);
  EXPECT_NEAR(probe(engine).shelfL.a2, 0.459703124, 5e-10);
  EXPECT_NEAR(probe(engine).shelfL.a0, 2.715166394, 5e-10);

  EXPECT_NEAR(probe(engine).lpL.b0, 0.143492954, 5e-10);
  EXPECT_EQ(probe(engine).lpL.b2, probe(engine).lpL.b0);
  EXPECT_NEAR(probe(engine).lpL.b1, 0.286985908, 5e-10);
  EXPECT_NEAR(probe(engine).lpL.a1, -0.680738269, 5e-10);
  EXPECT_NEAR(probe(engine).lpL.a2, 0.254710085, 5e-10);

  // Both channels share their coefficients.
  EXPECT_EQ(probe(engine).hpR.a1, probe(engine).hpL.a1);
  EXPECT_EQ(probe(engine).shelfR.b1, probe(engine).shelfL.b1);
  EXPECT_EQ(probe(engine).lpR.a2, probe(engine).lpL.a2);
}

TEST(FilterCoefficients, ShelfGainAtDcAndNyquist) {
  Biquad s;
  designHighShelf(s, 44100.0);
  EXPECT_NEAR((s.b0 + s.b1 + s.b2) / (1.0 + s.a1 + s.a2), 1.0, 1e-12);
  EXPECT_NEAR((s.b0 - s.b1 + s.b2) / (1.0 - s.a1 + s.a2), std::pow(10.0, -0.3), 1e-12);
}

// Below twice a corner frequency the formulas give sections that ring up
// without bound; such sections pass their input (low-pass, shelf) or nothing
// (high-pass) instead.
TEST(FilterCoefficients, CornersAtOrAboveNyquistGiveStableSections) {
  Biquad lp, shelf;
  OnePoleFilter hp;
  designLowPass(lp, 8000.0);
  EXPECT_EQ(lp.b0, 1.0);
  EXPECT_EQ(lp.a1, 0.0);
  EXPECT_EQ(lp.a2, 0.0);
  designHighShelf(shelf, 4000.0);
  EXPECT_EQ(shelf.b0, 1.0);
  EXPECT_EQ(shelf.a2, 0.0);
  designHighPass(hp, 300.0);
  EXPECT_EQ(hp.b0, 0.0);
  EXPECT_EQ(hp.a1, 0.0);
  // Just above the limits the formulas are kept.
  designLowPass(lp, 16000.0);
  EXPECT_LT(std::fabs(lp.a2), 1.0);
  EXPECT_NE(lp.a1, 0.0);
  designHighPass(hp, 1000.0);
  EXPECT_GT(hp.b0, 0.0);
}

TEST(Smoothers, CoefficientsAt44100) {
  EchoEngine engine;
  prepare(engine, 44100.0f, EchoParams());
  EXPECT_FLOAT_EQ(probe(engine).muteGain.coefficient, 0.998866856f);
  for (const ParamSmoother* s : {&probe(engine).level, &probe(engine).feedback, &probe(engine).dry,
                                 &probe(engine).pan, &probe(engine).xFeed}) {
    EXPECT_FLOAT_EQ(s->coefficient, 0.997735023f);
  }
}

TEST(Smoothers, GlideTowardHalfRestsShortOfIt) {
  ParamSmoother s;
  s.coefficient = smootherCoefficient(44100.0f, 10.0f);
  s.retarget(0.5f);
  for (int block = 0; block < 400; ++block) {
    s.settleTest();
    for (int i = 0; i < 512; ++i) s.step();
  }
  EXPECT_FALSE(s.settled);
  EXPECT_GT(0.5f - s.current, 5e-6f);
  EXPECT_LT(0.5f - s.current, 9e-6f);
  s.snap();
  EXPECT_EQ(s.current, 0.5f);
  EXPECT_TRUE(s.settled);
}

TEST(Smoothers, GlideFromOneToZeroSettles) {
  ParamSmoother s;
  s.coefficient = smootherCoefficient(44100.0f, 10.0f);
  s.jumpTo(1.0f);
  s.retarget(0.0f);
  int samples = 0;
  while (!s.settled && samples < 100000) {
    s.settleTest();
    if (!s.settled) {
      s.step();
      ++samples;
    }
  }
  EXPECT_TRUE(s.settled);
  EXPECT_EQ(s.current, 0.0f);
  EXPECT_NEAR(samples, 25400, 200);
}

TEST(Setup, SmoothersTakeTheValuesWithoutGlide) {
  EchoEngine engine;
  EchoParams p;
  p[kParamRepeat] = 0.5f;
  p[kParamLevel] = 0.25f;
  p[kParamXFeed] = 0.75f;
  prepare(engine, 44100.0f, p);
  EXPECT_EQ(probe(engine).feedback.current, 1.0f);
  EXPECT_TRUE(probe(engine).feedback.settled);
  EXPECT_EQ(probe(engine).level.current, 0.25f);
  EXPECT_EQ(probe(engine).dry.current, 1.0f);
  EXPECT_EQ(probe(engine).pan.current, 0.5f);
  EXPECT_EQ(probe(engine).xFeed.current, 0.75f);
  EXPECT_TRUE(probe(engine).muteGain.settled);
  EXPECT_EQ(probe(engine).muteGain.current, 0.0f);
}

TEST(Setup, RepeatChangeGlidesToTwiceTheValue) {
  EchoEngine engine;
  EchoParams p;
  prepare(engine, 44100.0f, p);
  p[kParamRepeat] = 0.5f;
  engine.parameterChanged(kParamRepeat, p);
  EXPECT_EQ(probe(engine).feedback.target, 1.0f);
  EXPECT_FALSE(probe(engine).feedback.settled);
  EXPECT_EQ(probe(engine).feedback.current, 0.0f);
}

TEST(Setup, RateChangeKeepsFilterStatesAndEmptiesLines) {
  EchoEngine engine;
  prepare(engine, 44100.0f, EchoParams());
  probe(engine).hpL.x1 = 0.25;
  probe(engine).lpR.y2 = -0.5;
  probe(engine).delayL[3] = 0.7;
  prepare(engine, 48000.0f, EchoParams());
  EXPECT_EQ(probe(engine).hpL.x1, 0.25);
  EXPECT_EQ(probe(engine).lpR.y2, -0.5);
  EXPECT_EQ(probe(engine).delayL[3], 0.0);
  EXPECT_EQ(probe(engine).delayLength, 5760);
}

// Lines that an echo block has filled: an impulse a few samples in.
void fillLinesByPlaying(EchoEngine& engine, EchoParams p) {
  p[kParamMute] = 0.0f;
  quillet::test::Stereo<float> in(2048);
  in.left[3] = in.right[5] = 0.9f;
  quillet::test::render(engine, p, in);
}

bool arraysEmpty(const EchoEngine& engine) {
  for (const auto* array : {&probe(engine).delayL, &probe(engine).delayR, &probe(engine).spareL,
                            &probe(engine).spareR}) {
    if (!*array) continue;  // no spare lines beside the stretch in place
    for (int32_t i = 0; i < engine.capacity(); ++i)
      if ((*array)[i] != 0.0) return false;
  }
  return true;
}

void processMuted(EchoEngine& engine, const EchoParams& p, int32_t frames) {
  quillet::test::Stereo<float> in(frames);
  quillet::test::render(engine, p, in, 64);
}

TEST(Mute, SwitchOnRestartsLinesClearsFiltersAndSnapsSmoothers) {
  EchoEngine engine;
  EchoParams p;
  prepare(engine, 44100.0f, p);
  fillLinesByPlaying(engine, p);
  ASSERT_FALSE(arraysEmpty(engine));
  probe(engine).shelfL.y1 = probe(engine).hpR.x1 = 0.3;
  p[kParamLevel] = 0.8f;
  engine.parameterChanged(kParamLevel, p);
  p[kParamMute] = 1.0f;
  p[kParamDelay] = 1.0f;
  engine.parameterChanged(kParamMute, p);
  EXPECT_EQ(probe(engine).writePos, 0);
  EXPECT_EQ(probe(engine).delayLength, 28665);
  EXPECT_EQ(probe(engine).shelfL.y1, 0.0);
  EXPECT_EQ(probe(engine).hpR.x1, 0.0);
  EXPECT_EQ(probe(engine).level.current, 0.8f);
  EXPECT_TRUE(probe(engine).level.settled);
  EXPECT_EQ(probe(engine).muteGain.target, 1.0f);
  EXPECT_FALSE(probe(engine).muteGain.settled);
  // The lines are emptied before the echo next reads them.
  EXPECT_TRUE(engine.lineClearPending());
  engine.prepareLinesForEcho();
  EXPECT_FALSE(engine.lineClearPending());
  EXPECT_TRUE(arraysEmpty(engine));
}

TEST(Mute, MutedBlocksEmptyTheLinesBitByBit) {
  EchoEngine engine;
  EchoParams p;
  prepare(engine, 192000.0f, p);
  fillLinesByPlaying(engine, p);
  p[kParamMute] = 1.0f;
  engine.parameterChanged(kParamMute, p);
  // 64 elements of each array per muted frame, from the top down: one block
  // leaves the lines (at the bottom of the arrays) as they were.
  processMuted(engine, p, 64);
  EXPECT_TRUE(engine.lineClearPending());
  EXPECT_NE(probe(engine).delayL[3], 0.0);
  const int32_t framesToEmpty = engine.capacity() / 64 + 64;
  processMuted(engine, p, framesToEmpty);
  EXPECT_FALSE(engine.lineClearPending());
  EXPECT_TRUE(arraysEmpty(engine));
}

TEST(Mute, HalfIsOffAndOnlyUsedLinesAreClearedAgain) {
  EchoEngine engine;
  EchoParams p;
  prepare(engine, 44100.0f, p);
  fillLinesByPlaying(engine, p);
  p[kParamMute] = 0.5f;
  engine.parameterChanged(kParamMute, p);
  EXPECT_FALSE(engine.lineClearPending());
  EXPECT_TRUE(probe(engine).muteGain.settled);
  p[kParamMute] = 1.0f;
  engine.parameterChanged(kParamMute, p);
  EXPECT_TRUE(engine.lineClearPending());
  processMuted(engine, p, engine.capacity() / 64 + 64);
  EXPECT_TRUE(arraysEmpty(engine));
  // Nothing has touched the lines since: switching on again has nothing to
  // clear, however often it comes.
  engine.parameterChanged(kParamMute, p);
  EXPECT_FALSE(engine.lineClearPending());
  // Played again, they are cleared again.
  fillLinesByPlaying(engine, p);
  p[kParamMute] = 0.8f;
  engine.parameterChanged(kParamMute, p);
  EXPECT_TRUE(engine.lineClearPending());
  fillLinesByPlaying(engine, p);  // the echo block empties them first
  EXPECT_FALSE(engine.lineClearPending());
}

}  // namespace
