// EchoEngine::restart: an engine that has played, glided and stretched starts
// again exactly as a fresh one set up with the same values, without memory.
#include <gtest/gtest.h>

#include <random>

#include "engine/echo_engine_probe.h"
#include "engine_test_support.h"

using namespace quillet::engine;

namespace {

using quillet::test::prepare;
using quillet::test::render;
using quillet::test::Stereo;

Stereo<float> noise(size_t frames, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> d(-0.5f, 0.5f);
  Stereo<float> s(frames);
  for (size_t i = 0; i < frames; ++i) {
    s.left[i] = d(gen);
    s.right[i] = d(gen);
  }
  return s;
}

EchoParams later() {
  EchoParams p;
  p[kParamDelay] = 0.2f;
  p[kParamRange] = 0.0f;
  p[kParamRepeat] = 0.4f;
  p[kParamLevel] = 0.9f;
  p[kParamDry] = 0.3f;
  p[kParamPan] = 0.7f;
  p[kParamXFeed] = 0.5f;
  p[kParamPingPong] = 1.0f;
  p[kParamKnobDust] = 0.0f;
  return p;
}

TEST(Restart, SoundsAsAFreshEngineSetUpWithTheValues) {
  // blocksBefore: the number of blocks played before the restart; an odd count
  // leaves the anti-denormal offset's sign flipped.
  for (int blocksBefore : {0, 1, 7}) {
    for (bool mutedAtRestart : {false, true}) {
      EchoEngine played;
      EchoParams p;
      p[kParamRepeat] = 0.8f;
      p[kParamLevel] = 0.6f;
      prepare(played, 48000.0f, p);
      for (int b = 0; b < blocksBefore; ++b) {
        // A glide in progress and a stretch of the lines.
        p[kParamLevel] = 0.1f * static_cast<float>(b);
        played.parameterChanged(kParamLevel, p);
        p[kParamDelay] = 0.05f * static_cast<float>(b);
        render(played, p, noise(512, 10 + b));
      }
      if (mutedAtRestart) {
        p[kParamMute] = 1.0f;
        played.parameterChanged(kParamMute, p);
        render(played, p, noise(100, 3));
      }
      const EchoParams q = later();
      played.restart(q);
      EchoEngine fresh;
      prepare(fresh, 48000.0f, q);
      const Stereo<float> in = noise(48000, 99);
      const Stereo<float> a = render(played, q, in, 300);
      const Stereo<float> b = render(fresh, q, in, 300);
      EXPECT_EQ(probe(played).delayLength, probe(fresh).delayLength);
      EXPECT_TRUE(a.left == b.left && a.right == b.right)
          << blocksBefore << " blocks before, " << (mutedAtRestart ? "muted" : "playing");
    }
  }
}

}  // namespace
