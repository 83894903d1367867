// The stretch spread over the blocks after it against the same stretch made
// at once, and against the frame-by-frame oracle, sample for sample: at
// 44.1, 48, 96 and 192 kHz, "Delay" jumping between its ends and creeping
// near them in the shortest and the longest "Range", with and without the
// splice, audio in place and in other buffers, stretches spaced (each one
// made over the 2 ms before the next may begin) and not (a new stretch
// finds the one before half made). Lines full of loud samples from the
// start, so every stretch moves real content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "engine/echo_engine_probe.h"
#include "engine/reference_process.h"

using namespace quillet::engine;

namespace {

uint32_t tickNow = 0;
uint32_t testTick() { return tickNow; }

struct Session {
  float rate;
  float range;
  float knobDust;
  bool inPlace;
  bool spaced;
};

// The same random samples in all four arrays of every engine.
void fillLines(EchoEngine& e, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> loud(-0.9, 0.9);
  for (int32_t i = 0; i < e.capacity(); ++i) {
    probe(e).delayL[i] = probe(e).spareL[i] = loud(gen);
    probe(e).delayR[i] = probe(e).spareR[i] = loud(gen);
  }
}

bool sameBits(const double* a, const double* b, int32_t n) {
  return std::memcmp(a, b, sizeof(double) * static_cast<size_t>(n)) == 0;
}

// Samples (outputs of the three engines compared with the spread one's)
// that differ over the session.
long differences(const Session& s) {
  // Spread (the engine's own), made at once (the same fast stretch), and the
  // frame-by-frame oracle with the direct stretch.
  EchoEngine spread, atOnce, oracle;
  EchoEngine* engines[3] = {&spread, &atOnce, &oracle};
  atOnce.setStretchFunction(&stretchRings);
  oracle.setStretchFunction(&stretchRingsDirect);
  EchoParams p;
  p[kParamRange] = s.range;
  p[kParamDelay] = 1.0f;
  p[kParamRepeat] = 0.8f;
  p[kParamLevel] = 0.9f;
  p[kParamKnobDust] = s.knobDust;
  for (EchoEngine* e : engines) {
    e->setTickSource(&testTick);
    e->setStretchSpacing(s.spaced);
    e->sampleRateChanged(s.rate, p);
    fillLines(*e, static_cast<unsigned>(s.rate));
  }

  std::mt19937 gen(static_cast<unsigned>(s.rate + 10 * s.range + s.knobDust));
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  constexpr int32_t kMost = 200;
  std::vector<double> io[3][4];  // per engine: inL, inR, outL, outR
  long differing = 0;
  for (int block = 0; block < 150; ++block) {
    // Small blocks, a stretch spanning several; now and then a long one.
    const int32_t frames = block % 23 == 5 ? kMost : 1 + static_cast<int32_t>(unit(gen) * 63.0f);
    std::vector<double> inL(frames), inR(frames);
    for (int32_t i = 0; i < frames; ++i) {
      inL[i] = unit(gen) - 0.5;
      inR[i] = unit(gen) - 0.5;
    }
    // "Delay" jumps between its ends, or creeps near one, on most blocks:
    // spaced, every block asks for a stretch; not spaced, every third does,
    // so a stretch finds the one before still being made.
    if (s.spaced || block % 3 == 0) {
      const float step = 0.002f * unit(gen);
      p[kParamDelay] = block % 10 == 0
                           ? (p[kParamDelay] > 0.5f ? 0.0f : 1.0f)
                           : std::clamp(p[kParamDelay] + (block % 2 ? step : -step), 0.0f, 1.0f);
    }
    tickNow = static_cast<uint32_t>(gen());

    for (int32_t done = 0; done < frames;) {
      // Split where a waiting stretch falls due, as the core splits.
      const int32_t n = std::min(frames - done, spread.framesBeforeStretchDue(p));
      for (int k = 0; k < 3; ++k) {
        std::vector<double>* v = io[k];
        v[0].assign(inL.begin() + done, inL.begin() + done + n);
        v[1].assign(inR.begin() + done, inR.begin() + done + n);
        v[2].assign(n, 0.0);
        v[3].assign(n, 0.0);
        const double* ins[2] = {v[0].data(), v[1].data()};
        double* outs[2] = {s.inPlace ? v[0].data() : v[2].data(),
                           s.inPlace ? v[1].data() : v[3].data()};
        if (k == 2) {
          processDirect(oracle, p, false, ins, outs, n);
        } else {
          engines[k]->process(p, false, ins, outs, n);
        }
      }
      const int out = s.inPlace ? 0 : 2;
      for (int k = 1; k < 3; ++k)
        for (int c = 0; c < 2; ++c)
          differing += !sameBits(io[0][out + c].data(), io[k][out + c].data(), n);
      done += n;
    }
  }
  // The lines as a stretch at once leaves them, the spare lines too.
  spread.finishStretch();
  for (EchoEngine* e : {&atOnce, &oracle}) {
    EXPECT_EQ(probe(spread).delayLength, probe(*e).delayLength);
    EXPECT_EQ(probe(spread).writePos, probe(*e).writePos);
    differing += !sameBits(probe(spread).delayL.get(), probe(*e).delayL.get(), spread.capacity());
    differing += !sameBits(probe(spread).delayR.get(), probe(*e).delayR.get(), spread.capacity());
    differing += !sameBits(probe(spread).spareL.get(), probe(*e).spareL.get(), spread.capacity());
    differing += !sameBits(probe(spread).spareR.get(), probe(*e).spareR.get(), spread.capacity());
  }
  return differing;
}

void expectEverySessionEqual(bool spaced) {
  for (float rate : {44100.0f, 48000.0f, 96000.0f, 192000.0f})
    for (float range : {0.0f, 1.0f})
      for (float knobDust : {0.0f, 1.0f})
        for (bool inPlace : {false, true}) {
          const Session s{rate, range, knobDust, inPlace, spaced};
          EXPECT_EQ(differences(s), 0) << rate << " Hz, Range " << range << ", KnobDust "
                                       << knobDust << (inPlace ? ", in place" : "");
        }
}

TEST(SpreadStretch, SpacedStretchesSoundAsMadeAtOnce) { expectEverySessionEqual(true); }

TEST(SpreadStretch, StretchesEveryFewBlocksSoundAsMadeAtOnce) { expectEverySessionEqual(false); }

}  // namespace
