// The echo sample loop driven directly: mix, routing, mute and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "engine/filter_design.h"
#include "engine_test_support.h"

namespace {

using enginetest::echoOnly;
using enginetest::firstAbove;
using enginetest::prepare;
using enginetest::render;
using enginetest::Stereo;

template <typename Sample>
Stereo<Sample> noise(size_t frames, unsigned seed, double amplitude = 0.5) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  Stereo<Sample> s(frames);
  for (size_t i = 0; i < frames; ++i) {
    s.left[i] = static_cast<Sample>(static_cast<float>(dist(gen) * amplitude));
    s.right[i] = static_cast<Sample>(static_cast<float>(dist(gen) * amplitude));
  }
  return s;
}

double energy(const std::vector<double>& x, size_t from, size_t count) {
  double e = 0.0;
  for (size_t i = from; i < from + count && i < x.size(); ++i) e += x[i] * x[i];
  return e;
}

TEST(SampleLoop, DefaultsPassInputThroughExactly) {
  const EchoParams defaults;
  EchoEngine e32, e64;
  prepare(e32, 44100.0f, defaults);
  prepare(e64, 44100.0f, defaults);
  const auto in32 = noise<float>(20000, 1);
  const auto in64 = noise<double>(20000, 1);
  const auto out32 = render(e32, defaults, in32);
  const auto out64 = render(e64, defaults, in64);
  EXPECT_EQ(out32.left, in32.left);
  EXPECT_EQ(out32.right, in32.right);
  EXPECT_EQ(out64.left, in64.left);
  EXPECT_EQ(out64.right, in64.right);
}

TEST(SampleLoop, ImpulseGivesOneFilteredEchoAfterDelayLength) {
  const EchoParams p = echoOnly(0.0f);
  EchoEngine engine;
  prepare(engine, 44100.0f, p);
  const int32_t L = engine.delayLength;
  ASSERT_EQ(L, 5292);
  Stereo<double> in(3 * L);
  in.left[0] = 1.0;
  const auto out = render(engine, p, in);

  // The echo is erf(1) through the three filters once.
  OnePoleFilter hp;
  Biquad shelf, lp;
  designHighPass(hp, 44100.0);
  designHighShelf(shelf, 44100.0);
  designLowPass(lp, 44100.0);
  EXPECT_EQ(firstAbove(out.left, 1e-12), L);
  for (int k = 0; k < 2000; ++k) {
    const double expected = lp.step(shelf.step(hp.step(k == 0 ? std::erf(1.0) : 0.0)));
    ASSERT_NEAR(out.left[L + k], expected, 1e-12) << k;
  }
  // "Repeat" 0: no second echo; "Pan" 0: nothing on the right.
  EXPECT_EQ(firstAbove(out.left, 1e-12, L + 4000), -1);
  EXPECT_EQ(firstAbove(out.right, 0.0), -1);
}

TEST(SampleLoop, CrossFeedOneAlternatesSides) {
  EchoParams p = echoOnly();
  p.xFeed = 1.0f;
  p.repeat = 0.5f;
  EchoEngine engine;
  prepare(engine, 44100.0f, p);
  const size_t L = static_cast<size_t>(engine.delayLength);
  Stereo<double> in(4 * L);
  in.left[0] = 1.0;
  const auto out = render(engine, p, in);
  EXPECT_GT(energy(out.right, L, 400), 1e6 * energy(out.left, L, 400));
  EXPECT_GT(energy(out.left, 2 * L, 400), 1e6 * energy(out.right, 2 * L, 400));
  EXPECT_GT(energy(out.right, 3 * L, 400), 1e6 * energy(out.left, 3 * L, 400));
}

TEST(SampleLoop, PingPongFromLeftIgnoresRightInput) {
  EchoParams p = echoOnly();
  p.dry = 1.0f;
  p.repeat = 0.5f;
  p.pingPong = 0.5f;
  EchoEngine engine;
  prepare(engine, 44100.0f, p);
  Stereo<double> in(20000);
  in.right[0] = 1.0;
  const auto out = render(engine, p, in);
  EXPECT_NEAR(out.right[0], 1.0, 1e-12);
  EXPECT_EQ(firstAbove(out.right, 1e-12, 1), -1);
  EXPECT_EQ(firstAbove(out.left, 1e-12), -1);
}

TEST(SampleLoop, PingPongModesAlternateFromTheirInput) {
  for (const bool fromLeft : {true, false}) {
    SCOPED_TRACE(fromLeft ? "from left" : "from right");
    EchoParams p = echoOnly();
    p.repeat = 0.5f;
    p.pingPong = fromLeft ? 0.5f : 1.0f;
    EchoEngine engine;
    prepare(engine, 44100.0f, p);
    const size_t L = static_cast<size_t>(engine.delayLength);
    Stereo<double> in(4 * L);
    (fromLeft ? in.left : in.right)[0] = 1.0;
    (fromLeft ? in.right : in.left)[0] = 1.0;  // not fed: dry only, and dry is 0
    const auto out = render(engine, p, in);
    const auto& first = fromLeft ? out.left : out.right;
    const auto& second = fromLeft ? out.right : out.left;
    EXPECT_GT(energy(first, L, 400), 1e6 * energy(second, L, 400));
    EXPECT_GT(energy(second, 2 * L, 400), 1e6 * energy(first, 2 * L, 400));
    EXPECT_GT(energy(first, 3 * L, 400), 1e6 * energy(second, 3 * L, 400));
  }
}

TEST(SampleLoop, MonoOutGivesTheMeanOnBothSides) {
  EchoParams p = echoOnly(0.3f);
  p.dry = 0.7f;
  p.repeat = 0.4f;
  EchoEngine stereo, mono;
  prepare(stereo, 44100.0f, p);
  prepare(mono, 44100.0f, p);
  const auto in = noise<double>(12000, 2);
  const auto split = render(stereo, p, in);
  p.monoOut = 1.0f;
  const auto mixed = render(mono, p, in);
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(mixed.left[i], (split.right[i] + split.left[i]) * 0.5) << i;
    ASSERT_EQ(mixed.right[i], mixed.left[i]) << i;
  }
}

TEST(SampleLoop, MonoPathIgnoresRightInputPanAndMonoOut) {
  EchoParams p = echoOnly(1.0f);  // "Pan" 1 would silence a stereo left echo
  p.monoOut = 1.0f;
  EchoEngine engine;
  prepare(engine, 44100.0f, p);
  const size_t L = static_cast<size_t>(engine.delayLength);
  Stereo<double> in(2 * L);
  in.left[0] = 1.0;
  in.right[10] = 1.0;
  const auto out = render(engine, p, in, 512, true);
  EXPECT_EQ(firstAbove(out.left, 1e-12), static_cast<long>(L));
  EXPECT_EQ(firstAbove(out.right, 1e-12), -1);
}

TEST(SampleLoop, MuteFadesInAndEmptiesTheEcho) {
  EchoParams p = echoOnly();
  p.dry = 1.0f;
  p.repeat = 0.7f;
  EchoEngine engine;
  prepare(engine, 44100.0f, p);
  const size_t L = static_cast<size_t>(engine.delayLength);
  Stereo<double> impulse(L / 2);
  impulse.left[0] = 1.0;
  render(engine, p, impulse);

  p.mute = 1.0f;
  engine.parameterChanged(kEchoMute, p);
  Stereo<double> ones(4096);
  std::fill(ones.left.begin(), ones.left.end(), 1.0);
  std::fill(ones.right.begin(), ones.right.end(), -1.0);
  const auto faded = render(engine, p, ones);
  const float c = engine.muteGain.coefficient;
  float g = 0.0f;
  for (size_t i = 0; i < ones.size(); ++i) {
    g = (g - 1.0f) * c + 1.0f;
    ASSERT_EQ(faded.left[i], static_cast<double>(g)) << i;
    ASSERT_EQ(faded.right[i], -static_cast<double>(g)) << i;
  }
  EXPECT_NEAR(faded.left[881], 1.0 - std::exp(-1.0), 1e-3);  // 20 ms

  // Off again: the impulse's echo was cleared, only the dry signal remains.
  p.mute = 0.0f;
  engine.parameterChanged(kEchoMute, p);
  Stereo<double> silence(2 * L);
  const auto after = render(engine, p, silence);
  EXPECT_EQ(firstAbove(after.left, 1e-12), -1);
  EXPECT_EQ(firstAbove(after.right, 1e-12), -1);
}

TEST(SampleLoop, SilenceGivesTinyOutputsOfAlternatingSign) {
  EchoParams p = echoOnly();
  EchoEngine engine;
  prepare(engine, 44100.0f, p);
  Stereo<double> silence(512 * 6);
  const auto out = render(engine, p, silence);
  for (int block = 1; block < 6; ++block) {
    const double end = out.left[512 * block + 511];
    const double before = out.left[512 * block - 1];
    EXPECT_GT(std::fabs(end), 1e-16);
    EXPECT_LT(std::fabs(end), 1e-14);
    EXPECT_LT(end * before, 0.0) << block;
    EXPECT_EQ(out.right[512 * block + 511], end);
  }
}

TEST(SampleLoop, SingleAndDoublePrecisionAgreeUpToOutputRounding) {
  EchoParams p = echoOnly(0.4f);
  p.dry = 0.8f;
  p.repeat = 0.6f;
  p.xFeed = 0.3f;
  EchoEngine e32, e64;
  prepare(e32, 48000.0f, p);
  prepare(e64, 48000.0f, p);
  auto in32 = noise<float>(30000, 3);
  auto in64 = noise<double>(30000, 3);
  Stereo<float> out32(0);
  Stereo<double> out64(0);
  for (int pass = 0; pass < 3; ++pass) {
    // A delay change (with splice) and a mute in between.
    p.delay = 0.1f * static_cast<float>(pass);
    p.knobDust = pass == 1 ? 0.0f : 1.0f;
    p.mute = pass == 2 ? 1.0f : 0.0f;
    if (pass == 2) {
      e32.parameterChanged(kEchoMute, p);
      e64.parameterChanged(kEchoMute, p);
    }
    out32 = render(e32, p, in32);
    out64 = render(e64, p, in64);
    for (size_t i = 0; i < in32.size(); ++i) {
      ASSERT_EQ(out32.left[i], static_cast<float>(out64.left[i])) << pass << ":" << i;
      ASSERT_EQ(out32.right[i], static_cast<float>(out64.right[i])) << pass << ":" << i;
    }
  }
}

TEST(SampleLoop, NanInputDoesNotPoisonTheEcho) {
  EchoParams p = echoOnly();
  p.dry = 1.0f;
  p.repeat = 0.6f;
  EchoEngine engine;
  prepare(engine, 44100.0f, p);
  auto in = noise<double>(44100, 4);
  in.left[100] = NAN;
  in.right[200] = INFINITY;
  in.right[300] = NAN;
  const auto out = render(engine, p, in);
  for (size_t i = 0; i < in.size(); ++i) {
    if (i == 100 || i == 200 || i == 300) continue;  // the dry path carries them
    ASSERT_TRUE(std::isfinite(out.left[i])) << i;
    ASSERT_TRUE(std::isfinite(out.right[i])) << i;
  }
  for (const double* h : {&engine.hpL.y1, &engine.shelfL.y1, &engine.lpR.y2}) {
    EXPECT_TRUE(std::isfinite(*h));
  }
}

TEST(SampleLoop, NullChannelsAreLeftAlone) {
  EchoEngine engine;
  prepare(engine, 44100.0f, echoOnly());
  float in[4] = {1, 2, 3, 4};
  float out[4] = {7, 7, 7, 7};
  float* const outs[2] = {out, nullptr};
  const float* ins[2] = {in, in};
  engine.process(echoOnly(), false, ins, outs, 4);
  engine.process(echoOnly(), false, nullptr, outs, 4);
  float* const goodOuts[2] = {out, out};
  engine.process(echoOnly(), false, nullptr, goodOuts, 4);
  const float* halfIns[2] = {nullptr, in};
  engine.process(echoOnly(), false, halfIns, goodOuts, 4);
  for (float v : out) EXPECT_EQ(v, 7.0f);
}

TEST(SampleLoop, PassesThroughWithoutAUsableRate) {
  for (float fs : {-1.0f, 0.0f, NAN, 1.0f, 30.0f, 5.0e6f}) {
    SCOPED_TRACE(fs);
    EchoEngine engine;
    EchoParams p = echoOnly();
    p.repeat = 1.0f;
    prepare(engine, fs, p);
    const auto in = noise<double>(1500, 5);
    const auto out = render(engine, p, in);
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.right, in.right);
  }
  EchoEngine never;  // no sample rate at all
  const auto in = noise<float>(700, 6);
  const auto out = render(never, echoOnly(), in);
  EXPECT_EQ(out.left, in.left);
  EXPECT_EQ(out.right, in.right);
}

TEST(SampleLoop, EmptyBlocksWriteNothing) {
  EchoEngine engine;
  prepare(engine, 44100.0f, echoOnly());
  double in[2] = {1, 1};
  double out[2] = {7, 7};
  const double* ins[2] = {in, in};
  double* const outs[2] = {out, out};
  engine.process(echoOnly(), false, ins, outs, 0);
  engine.process(echoOnly(), false, ins, outs, -5);
  EXPECT_EQ(out[0], 7.0);
  EXPECT_EQ(out[1], 7.0);
}

// Full feedback with "Delay" and "Range" moving every block: the loop rings
// at erf's limit, every stretch adds noise, and nothing may run away. The
// rates below 8 kHz reach the shortest rings (one sample at 34 Hz) and the
// filters whose corners lie above Nyquist.
TEST(SampleLoop, FullRepeatStaysBoundedAtEveryRate) {
  for (float fs : {34.0f, 100.0f, 999.0f, 1000.0f, 1500.0f, 4000.0f, 8000.0f, 11025.0f, 16000.0f,
                   22050.0f, 32000.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f,
                   352800.0f, 384000.0f}) {
    SCOPED_TRACE(fs);
    EchoParams p = echoOnly();
    p.dry = 1.0f;
    p.repeat = 1.0f;
    p.knobDust = 0.0f;
    EchoEngine engine;
    prepare(engine, fs, p);
    const size_t block = fs > 100000.0f ? 4096 : fs < 8000.0f ? 16 : 1024;
    const size_t frames = std::max<size_t>(static_cast<size_t>(fs * 3.0f), 2000);
    const auto in = noise<double>(frames, 7, 0.25);
    Stereo<double> out(frames);
    std::mt19937 gen(11);
    std::uniform_real_distribution<float> knob(0.0f, 1.0f);
    for (size_t start = 0; start + block <= frames; start += block) {
      p.delay = knob(gen);
      p.range = knob(gen);
      p.knobDust = knob(gen);
      p.pingPong = knob(gen);
      const double* ins[2] = {in.left.data() + start, in.right.data() + start};
      double* const outs[2] = {out.left.data() + start, out.right.data() + start};
      engine.process(p, false, ins, outs, static_cast<int32_t>(block));
    }
    double peak = 0.0;
    for (size_t i = 0; i < frames; ++i) {
      ASSERT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i])) << i;
      peak = std::max(peak, std::max(std::fabs(out.left[i]), std::fabs(out.right[i])));
    }
    EXPECT_LT(peak, 4.0);
    // The echo is heard, except where the 200 Hz high-pass passes nothing.
    if (fs > 400.0f) {
      EXPECT_GT(peak, 0.25);
    }
  }
}

}  // namespace
