// The echo sample loop driven directly, where a host could not fix the noise
// seed or look inside: exact echo shape, precision agreement across stretches
// and mute, NaN input, empty blocks, full feedback at every rate. Routing, mix
// and mute as a host hears them are tested through the plug-ins.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "engine/echo_engine_probe.h"
#include "engine/filter_design.h"
#include "engine_test_support.h"

using namespace quillet::engine;

namespace {

using quillet::test::echoOnly;
using quillet::test::firstAbove;
using quillet::test::prepare;
using quillet::test::render;
using quillet::test::Stereo;

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

TEST(SampleLoop, ImpulseGivesOneFilteredEchoAfterDelayLength) {
  const EchoParams p = echoOnly(0.0f);
  EchoEngine engine;
  prepare(engine, 44100.0f, p);
  const int32_t L = probe(engine).delayLength;
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

TEST(SampleLoop, SingleAndDoublePrecisionAgreeUpToOutputRounding) {
  EchoParams p = echoOnly(0.4f);
  p[kParamDry] = 0.8f;
  p[kParamRepeat] = 0.6f;
  p[kParamXFeed] = 0.3f;
  EchoEngine e32, e64;
  prepare(e32, 48000.0f, p);
  prepare(e64, 48000.0f, p);
  auto in32 = noise<float>(30000, 3);
  auto in64 = noise<double>(30000, 3);
  Stereo<float> out32(0);
  Stereo<double> out64(0);
  for (int pass = 0; pass < 3; ++pass) {
    // A delay change (with splice) and a mute in between.
    p[kParamDelay] = 0.1f * static_cast<float>(pass);
    p[kParamKnobDust] = pass == 1 ? 0.0f : 1.0f;
    p[kParamMute] = pass == 2 ? 1.0f : 0.0f;
    if (pass == 2) {
      e32.parameterChanged(kParamMute, p);
      e64.parameterChanged(kParamMute, p);
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
  p[kParamDry] = 1.0f;
  p[kParamRepeat] = 0.6f;
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
  for (const double* h : {&probe(engine).hpL.y1, &probe(engine).shelfL.y1, &probe(engine).lpR.y2}) {
    EXPECT_TRUE(std::isfinite(*h));
  }
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
    p[kParamDry] = 1.0f;
    p[kParamRepeat] = 1.0f;
    p[kParamKnobDust] = 0.0f;
    EchoEngine engine;
    prepare(engine, fs, p);
    const size_t block = fs > 100000.0f ? 4096 : fs < 8000.0f ? 16 : 1024;
    const size_t frames = std::max<size_t>(static_cast<size_t>(fs * 3.0f), 2000);
    const auto in = noise<double>(frames, 7, 0.25);
    Stereo<double> out(frames);
    std::mt19937 gen(11);
    std::uniform_real_distribution<float> knob(0.0f, 1.0f);
    for (size_t start = 0; start + block <= frames; start += block) {
      p[kParamDelay] = knob(gen);
      p[kParamRange] = knob(gen);
      p[kParamKnobDust] = knob(gen);
      p[kParamPingPong] = knob(gen);
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
