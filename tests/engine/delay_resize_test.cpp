// The tape-like stretch of the delay lines: noise, rescaled position, splice.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/echo_engine_probe.h"
#include "engine/stretch_noise.h"
#include "engine_test_support.h"

using namespace quillet::engine;

namespace {

using quillet::test::prepare;

// "Delay" for 60 ms in the first range: 2646 samples at 44100 Hz, twice 30 ms.
constexpr float kSixtyMs = 0.2307693f;

EchoParams lengthParams(float delay) {
  EchoParams p;
  p[kParamRange] = 0.0f;
  p[kParamDelay] = delay;
  return p;
}

TEST(StretchNoise, ValuesForTickZero) {
  uint32_t s = nextNoiseState(0u);
  EXPECT_EQ(s, 907633515u);
  EXPECT_FLOAT_EQ(static_cast<float>(stretchNoise(s)), -1.4433759e-5f);
  s = nextNoiseState(s);
  EXPECT_EQ(s, 2641306770u);
  EXPECT_FLOAT_EQ(static_cast<float>(stretchNoise(s)), 5.7488561e-6f);
}

TEST(StretchNoise, BoundedAndCentred) {
  uint32_t s = 12345u;
  double sum = 0.0;
  const int count = 200000;
  for (int i = 0; i < count; ++i) {
    s = nextNoiseState(s);
    const double v = stretchNoise(s);
    ASSERT_LE(std::fabs(v), 2.5e-5);
    sum += v;
  }
  EXPECT_LT(std::fabs(sum / count), 2e-7);
}

class Resize : public ::testing::Test {
 protected:
  void SetUp() override {
    prepare(engine, 44100.0f, lengthParams(0.0f));
    ASSERT_EQ(probe(engine).delayLength, 1323);
  }
  EchoEngine engine;
};

TEST_F(Resize, UnchangedLengthTouchesNothing) {
  probe(engine).delayL[5] = 0.25;
  probe(engine).writePos = 17;
  const double* before = probe(engine).delayL.get();
  engine.resizeDelayLines(lengthParams(0.0f));
  EXPECT_EQ(probe(engine).delayL.get(), before);
  EXPECT_EQ(probe(engine).delayL[5], 0.25);
  EXPECT_EQ(probe(engine).delayR[5], 0.0);  // no noise added
  EXPECT_EQ(probe(engine).writePos, 17);
  EXPECT_EQ(probe(engine).delayLength, 1323);
}

TEST_F(Resize, FirstStretchedSampleCarriesTheTickZeroNoise) {
  engine.resizeDelayLines(lengthParams(kSixtyMs));
  EXPECT_EQ(probe(engine).delayLength, 2646);
  EXPECT_FLOAT_EQ(static_cast<float>(probe(engine).delayL[0]), -1.4433759e-5f);
  EXPECT_FLOAT_EQ(static_cast<float>(probe(engine).delayR[0]), 5.7488561e-6f);
}

TEST_F(Resize, DoublingTheLengthStretchesAnOctaveDown) {
  // One cycle of a sine fills the ring; after doubling it takes 2646 samples.
  const double pi = 3.14159265358979;
  for (int i = 0; i < 1323; ++i) probe(engine).delayL[i] = std::sin(2 * pi * i / 1323);
  engine.resizeDelayLines(lengthParams(kSixtyMs));
  ASSERT_EQ(probe(engine).delayLength, 2646);
  for (int i = 0; i < 2646; i += 7) {
    EXPECT_NEAR(probe(engine).delayL[i], std::sin(2 * pi * i / 2646), 3e-5) << i;
  }
}

TEST_F(Resize, WritePositionIsRescaled) {
  probe(engine).writePos = 0;
  engine.resizeDelayLines(lengthParams(kSixtyMs));
  EXPECT_EQ(probe(engine).writePos, 0);  // 0 stays 0

  probe(engine).writePos = 1000;  // 1000 / 2646 of the ring
  engine.resizeDelayLines(lengthParams(0.0f));
  EXPECT_EQ(probe(engine).writePos, 500);

  // The last position of a long ring squeezed into a much shorter one rounds
  // up to the new length and wraps to 0.
  engine.resizeDelayLines(lengthParams(1.0f));  // 7056
  probe(engine).writePos = 7055;
  engine.resizeDelayLines(lengthParams(0.0f));  // 1323
  EXPECT_EQ(probe(engine).writePos, 0);
}

TEST_F(Resize, WritePositionExampleFromTwoLengths) {
  // Lo = 2646, Ln = 1000: position 2645 rescales to 1000 and wraps to 0.
  EchoEngine e;
  const EchoParams p = lengthParams(0.0f);
  prepare(e, 88200.0f, p);  // 30 ms = 2646 samples
  ASSERT_EQ(probe(e).delayLength, 2646);
  probe(e).writePos = 2645;
  // At 33333.334 Hz 30 ms are 1000 samples; the arrays taken at 88.2 kHz are
  // larger than that rate needs.
  probe(e).sampleRate = 33333.334f;
  e.resizeDelayLines(p);
  EXPECT_EQ(probe(e).delayLength, 1000);
  EXPECT_EQ(probe(e).writePos, 0);
}

TEST_F(Resize, KnobDustOnReadsStretchedContentAtNewPosition) {
  for (int i = 0; i < 1323; ++i) probe(engine).delayL[i] = i < 600 ? 1.0 : -1.0;
  probe(engine).writePos = 600;
  EchoParams p = lengthParams(kSixtyMs);
  p[kParamKnobDust] = 1.0f;
  engine.resizeDelayLines(p);
  ASSERT_EQ(probe(engine).writePos, 1200);
  EXPECT_NEAR(probe(engine).delayL[1200], -1.0, 3e-5);
  EXPECT_NEAR(probe(engine).delayL[1199], 0.0, 3e-5);  // halfway along the stretched step
  EXPECT_NEAR(probe(engine).delayL[1190], 1.0, 3e-5);
}

TEST_F(Resize, SpliceContinuesWithTheOldSamples) {
  for (int i = 0; i < 1323; ++i) probe(engine).delayL[i] = 0.001 * i;
  probe(engine).writePos = 700;
  EchoParams p = lengthParams(kSixtyMs);
  p[kParamKnobDust] = 0.0f;
  engine.resizeDelayLines(p);
  ASSERT_EQ(probe(engine).writePos, 1400);
  // At the new position the ring delivers exactly what the old one would have.
  EXPECT_EQ(probe(engine).delayL[1400], 0.001 * 700);
  // Behind it, the lead-in ends next to the newest old samples.
  const double last = probe(engine).delayL[1399];
  EXPECT_NEAR(last, (43.0 / 44.0) * 0.699 + (1.0 / 44.0) * (1399 * 0.5 * 0.001), 1e-4);
  // Beyond the 1 ms lead-out the stretched content is untouched.
  EXPECT_NEAR(probe(engine).delayL[1444], 1444 * 0.5 * 0.001, 3e-5);
}

TEST(ResizeAtLowRate, NoSpliceBelowOneKilohertz) {
  // At 900 Hz 1 ms holds no whole sample: "KnobDust" off and on stretch alike.
  EchoEngine spliced, plain;
  for (EchoEngine* e : {&spliced, &plain}) {
    prepare(*e, 900.0f, lengthParams(0.0f));
    ASSERT_EQ(probe(*e).delayLength, 27);
    for (int i = 0; i < 27; ++i) probe(*e).delayL[i] = i;
    probe(*e).writePos = 5;
  }
  EchoParams longer = lengthParams(kSixtyMs);
  longer[kParamKnobDust] = 0.0f;
  spliced.resizeDelayLines(longer);
  longer[kParamKnobDust] = 1.0f;
  plain.resizeDelayLines(longer);
  ASSERT_EQ(probe(spliced).delayLength, 54);
  for (int i = 0; i < 54; ++i) EXPECT_EQ(probe(spliced).delayL[i], probe(plain).delayL[i]) << i;
}

TEST_F(Resize, SameTickSameNoise) {
  EchoEngine other;
  prepare(other, 44100.0f, lengthParams(0.0f));
  engine.resizeDelayLines(lengthParams(1.0f));
  other.resizeDelayLines(lengthParams(1.0f));
  for (int i = 0; i < probe(engine).delayLength; i += 101)
    EXPECT_EQ(probe(engine).delayL[i], probe(other).delayL[i]);
}

}  // namespace
