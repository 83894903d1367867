// The engine's block loop against the frame-by-frame oracle, bit for bit:
// every routing (mute, straight with cross-feed, both ping-pong modes, the
// mono path, "Mono Out"), with and without the splice, gliding controls,
// stretches on many blocks, odd block sizes, and rings shorter than a chunk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "engine/echo_engine_probe.h"
#include "engine/reference_process.h"

using namespace quillet::engine;

namespace {

uint32_t currentTick = 0;
uint32_t testTick() { return currentTick; }

struct Scenario {
  float rate;
  float pingPong;
  bool monoIO;
  float monoOut;
  float knobDust;
};

// The engine on the given vector path and the oracle (frame by frame, direct
// stretch), both on the test's tick.
void setUpPair(EchoEngine& fast, EchoEngine& oracle, VectorPath path) {
  fast.setWidestPath(path);
  fast.setTickSource(&testTick);
  oracle.setTickSource(&testTick);
  oracle.setStretchFunction(&stretchRingsDirect);
}

// Renders the same random session through both engines; returns the number
// of output samples and line samples whose bits differ.
template <typename Sample>
long differences(const Scenario& sc, unsigned seed, VectorPath path) {
  EchoEngine fast, oracle;
  setUpPair(fast, oracle, path);
  EchoParams p;
  p[kParamPingPong] = sc.pingPong;
  p[kParamMonoOut] = sc.monoOut;
  p[kParamKnobDust] = sc.knobDust;
  p[kParamRepeat] = 0.7f;
  p[kParamLevel] = 0.8f;
  p[kParamXFeed] = 0.3f;
  p[kParamPan] = 0.4f;
  fast.sampleRateChanged(sc.rate, p);
  oracle.sampleRateChanged(sc.rate, p);

  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<Sample> inL(700), inR(700), fastL(700), fastR(700), refL(700), refR(700);
  long differing = 0;
  for (int block = 0; block < 120; ++block) {
    const int32_t frames = block % 17 == 3 ? 0 : 1 + static_cast<int32_t>(unit(gen) * 699.0f);
    for (int32_t i = 0; i < frames; ++i) {
      inL[i] = static_cast<Sample>(unit(gen) * 1.6f - 0.8f);
      inR[i] = static_cast<Sample>(unit(gen) * 1.6f - 0.8f);
    }
    // Controls glide on most blocks; "Delay" moves on many, so the rings stretch.
    float* glides[] = {&p[kParamRepeat], &p[kParamLevel], &p[kParamDry], &p[kParamPan],
                       &p[kParamXFeed]};
    const int glideIndex[] = {kParamRepeat, kParamLevel, kParamDry, kParamPan, kParamXFeed};
    const int g = static_cast<int>(unit(gen) * 5.0f) % 5;
    *glides[g] = unit(gen);
    fast.parameterChanged(glideIndex[g], p);
    oracle.parameterChanged(glideIndex[g], p);
    if (block % 3 == 0) p[kParamDelay] = unit(gen);
    if (block % 40 == 39) p[kParamRange] = unit(gen);
    const bool muteNow = block >= 60 && block < 64;
    if (switchOn(p[kParamMute]) != muteNow) {
      p[kParamMute] = muteNow ? 1.0f : 0.0f;
      fast.parameterChanged(kParamMute, p);
      oracle.parameterChanged(kParamMute, p);
    }
    currentTick = static_cast<uint32_t>(gen());

    const Sample* ins[2] = {inL.data(), inR.data()};
    Sample* fastOuts[2] = {fastL.data(), fastR.data()};
    Sample* refOuts[2] = {refL.data(), refR.data()};
    fast.process(p, sc.monoIO, ins, fastOuts, frames);
    processDirect(oracle, p, sc.monoIO, ins, refOuts, frames);
    for (int32_t i = 0; i < frames; ++i) {
      differing += std::memcmp(&fastL[i], &refL[i], sizeof(Sample)) != 0;
      differing += std::memcmp(&fastR[i], &refR[i], sizeof(Sample)) != 0;
    }
  }
  EXPECT_EQ(probe(fast).writePos, probe(oracle).writePos);
  EXPECT_EQ(probe(fast).delayLength, probe(oracle).delayLength);
  for (int32_t i = 0; i < fast.capacity(); ++i) {
    differing += std::memcmp(&probe(fast).delayL[i], &probe(oracle).delayL[i], sizeof(double)) != 0;
    differing += std::memcmp(&probe(fast).delayR[i], &probe(oracle).delayR[i], sizeof(double)) != 0;
  }
  return differing;
}

const Scenario kScenarios[] = {
    {48000.0f, 0.0f, false, 0.0f, 1.0f},  // straight, cross-feed, knob dust
    {48000.0f, 0.0f, false, 0.0f, 0.0f},  // straight with the splice
    {44100.0f, 0.5f, false, 0.0f, 0.0f},  // ping-pong from the left
    {44100.0f, 0.9f, false, 0.0f, 1.0f},  // ping-pong from the right
    {96000.0f, 0.0f, false, 1.0f, 0.0f},  // "Mono Out"
    {96000.0f, 0.9f, false, 1.0f, 1.0f},  // "Mono Out" over ping-pong
    {22050.0f, 0.5f, true, 1.0f, 0.0f},   // mono path ignores routing and "Mono Out"
    {1500.0f, 0.0f, false, 0.0f, 0.0f},   // rings shorter than a chunk
};

// Each vector width the processor runs in turn: the 128-bit path, the
// 256-bit one where there is AVX2 (never in the portable engine) and the
// NEON loops where the build has them. Asked when a test runs: the answer is
// worked out as the engine loads.
std::vector<VectorPath> paths() {
  std::vector<VectorPath> p{VectorPath::kSse2};
  if (processorRuns(VectorPath::kNeon)) p.push_back(VectorPath::kNeon);
  if (processorHasAvx2()) p.push_back(VectorPath::kAvx2);
  return p;
}

template <typename Sample>
void expectEveryScenarioEqual(unsigned seed) {
  for (VectorPath path : paths()) {
    for (const Scenario& sc : kScenarios) {
      EXPECT_EQ(differences<Sample>(sc, seed, path), 0)
          << sc.rate << " Hz, PingPong " << sc.pingPong << ", monoIO " << sc.monoIO << ", path "
          << static_cast<int>(path);
    }
  }
}

TEST(ProcessEquality, DoublePrecisionEveryRouting) { expectEveryScenarioEqual<double>(11); }

TEST(ProcessEquality, SinglePrecisionEveryRouting) { expectEveryScenarioEqual<float>(12); }

// Every block size from 1 to 130 frames in turn (odd frames left over from
// the two-frame routing, chunks shorter than the filters' pipeline), every
// routing, gliding controls, on each vector width.
TEST(ProcessEquality, EveryBlockSizeOnEveryPath) {
  for (VectorPath path : paths()) {
    for (int route = 0; route < 5; ++route) {
      EchoEngine fast, oracle;
      setUpPair(fast, oracle, path);
      EchoParams p;
      p[kParamRepeat] = 0.8f;
      p[kParamXFeed] = 0.4f;
      p[kParamPingPong] = route == 1 ? 0.5f : route == 2 ? 0.9f : 0.0f;
      p[kParamMonoOut] = route == 3 ? 1.0f : 0.0f;
      const bool monoIO = route == 4;
      fast.sampleRateChanged(44100.0f, p);
      oracle.sampleRateChanged(44100.0f, p);
      std::mt19937 gen(static_cast<unsigned>(route));
      std::uniform_real_distribution<double> noise(-0.9, 0.9);
      std::vector<double> inL(130), inR(130), fastL(130), fastR(130), refL(130), refR(130);
      long differing = 0;
      for (int32_t frames = 1; frames <= 130; ++frames) {
        for (int32_t i = 0; i < frames; ++i) {
          inL[i] = noise(gen);
          inR[i] = noise(gen);
        }
        if (frames % 7 == 0) {
          p[kParamPan] = static_cast<float>(frames % 10) / 10.0f;
          p[kParamLevel] = 1.0f - p[kParamPan];
          fast.parameterChanged(kParamPan, p);
          oracle.parameterChanged(kParamPan, p);
          fast.parameterChanged(kParamLevel, p);
          oracle.parameterChanged(kParamLevel, p);
        }
        const double* ins[2] = {inL.data(), inR.data()};
        double* fastOuts[2] = {fastL.data(), fastR.data()};
        double* refOuts[2] = {refL.data(), refR.data()};
        fast.process(p, monoIO, ins, fastOuts, frames);
        processDirect(oracle, p, monoIO, ins, refOuts, frames);
        differing += std::memcmp(fastL.data(), refL.data(), sizeof(double) * frames) != 0;
        differing += std::memcmp(fastR.data(), refR.data(), sizeof(double) * frames) != 0;
      }
      EXPECT_EQ(differing, 0) << "route " << route << ", path " << static_cast<int>(path);
      EXPECT_EQ(probe(fast).writePos, probe(oracle).writePos);
      EXPECT_EQ(std::memcmp(probe(fast).delayL.get(), probe(oracle).delayL.get(),
                            sizeof(double) * static_cast<size_t>(fast.capacity())),
                0);
    }
  }
}

// NaN and infinities in the input: the lines take 0 wherever the erf of an
// argument is not finite, the same samples on every path as in the oracle.
// Outputs that are NaN on both sides count as equal (which NaN an operation
// passes on may depend on its operand order).
TEST(ProcessEquality, NonFiniteInputOnEveryPath) {
  const double specials[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e308, -1e308};
  for (VectorPath path : paths()) {
    EchoEngine fast, oracle;
    setUpPair(fast, oracle, path);
    EchoParams p;
    p[kParamRepeat] = 0.9f;
    fast.sampleRateChanged(8000.0f, p);
    oracle.sampleRateChanged(8000.0f, p);
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> noise(-0.9, 0.9);
    std::vector<double> inL(257), inR(257), fastL(257), fastR(257), refL(257), refR(257);
    long differing = 0;
    for (int block = 0; block < 200; ++block) {
      const int32_t frames = 1 + static_cast<int32_t>(gen() % 257);
      for (int32_t i = 0; i < frames; ++i) {
        inL[i] = noise(gen);
        inR[i] = noise(gen);
      }
      if (block % 5 == 1) inL[gen() % frames] = specials[gen() % 5];
      if (block % 7 == 2) inR[gen() % frames] = specials[gen() % 5];
      const double* ins[2] = {inL.data(), inR.data()};
      double* fastOuts[2] = {fastL.data(), fastR.data()};
      double* refOuts[2] = {refL.data(), refR.data()};
      fast.process(p, false, ins, fastOuts, frames);
      processDirect(oracle, p, false, ins, refOuts, frames);
      for (int32_t i = 0; i < frames; ++i) {
        for (const auto& [a, b] : {std::pair{fastL[i], refL[i]}, std::pair{fastR[i], refR[i]}}) {
          differing += !(std::isnan(a) && std::isnan(b)) && std::memcmp(&a, &b, sizeof a) != 0;
        }
      }
    }
    EXPECT_EQ(differing, 0) << "path " << static_cast<int>(path);
    EXPECT_EQ(std::memcmp(probe(fast).delayL.get(), probe(oracle).delayL.get(),
                          sizeof(double) * static_cast<size_t>(fast.capacity())),
              0);
    EXPECT_EQ(std::memcmp(probe(fast).delayR.get(), probe(oracle).delayR.get(),
                          sizeof(double) * static_cast<size_t>(fast.capacity())),
              0);
  }
}

// Controls moved after setup glide and then come to rest a few units in the
// last place short of their targets, never settling; the block then takes
// its path for steady controls, which must give the gliding path's bits. Each
// smoother rests in turn while the others still glide or have settled, and
// "Mute"'s fade rests likewise in the muted blocks.
TEST(ProcessEquality, ControlsAtRestAfterAGlideOnEveryPath) {
  for (VectorPath path : paths()) {
    EchoEngine fast, oracle;
    setUpPair(fast, oracle, path);
    EchoParams p;
    p[kParamRepeat] = 0.3f;
    fast.sampleRateChanged(44100.0f, p);
    oracle.sampleRateChanged(44100.0f, p);
    const int glides[] = {kParamRepeat, kParamLevel, kParamDry, kParamPan, kParamXFeed};
    const float targets[] = {0.61f, 0.77f, 0.35f, 0.62f, 0.29f};
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> noise(-0.7f, 0.7f);
    std::vector<float> inL(512), inR(512), fastL(512), fastR(512), refL(512), refR(512);
    long differing = 0;
    int resting = 0;
    for (int block = 0; block < 900; ++block) {
      if (block % 150 == 0 && block / 150 < 5) {
        const int g = block / 150;
        p[glides[g]] = targets[g];
        fast.parameterChanged(glides[g], p);
        oracle.parameterChanged(glides[g], p);
      }
      if (block == 800 || block == 860) {
        p[kParamMute] = block == 800 ? 1.0f : 0.0f;
        fast.parameterChanged(kParamMute, p);
        oracle.parameterChanged(kParamMute, p);
      }
      for (int32_t i = 0; i < 512; ++i) {
        inL[i] = noise(gen);
        inR[i] = noise(gen);
      }
      const float* ins[2] = {inL.data(), inR.data()};
      float* fastOuts[2] = {fastL.data(), fastR.data()};
      float* refOuts[2] = {refL.data(), refR.data()};
      fast.process(p, false, ins, fastOuts, 512);
      processDirect(oracle, p, false, ins, refOuts, 512);
      differing += std::memcmp(fastL.data(), refL.data(), sizeof(float) * 512) != 0;
      differing += std::memcmp(fastR.data(), refR.data(), sizeof(float) * 512) != 0;
      const ParamSmoother* level = &probe(fast).level;
      resting += !level->settled && level->holdsSteady();
    }
    EXPECT_EQ(differing, 0) << "path " << static_cast<int>(path);
    // The level glided toward 0.77 and came to rest short of it (until the
    // mute's snap).
    EXPECT_GT(resting, 500);
    EXPECT_TRUE(probe(fast).muteGain.holdsSteady());
    EXPECT_EQ(probe(fast).feedback.current, probe(oracle).feedback.current);
    EXPECT_EQ(probe(fast).muteGain.current, probe(oracle).muteGain.current);
  }
}

}  // namespace
