// The fast stretch, at once and made a run at a time from a frame inside the
// ring, against the plain transcription, bit for bit, over lengths that cover every binade of the
// read position, ratios far above and below 1, exact binary ratios (where
// rounded steps tie) and the smallest rings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "engine/line_stretch.h"

using namespace quillet::engine;

namespace {

struct Case {
  int32_t oldLength;
  int32_t newLength;
  uint32_t seed;
};

// A case's old rings (random samples) and the oracle's stretch of them.
struct Rings {
  std::vector<double> oldL, oldR, directL, directR;
};

Rings ringsOf(const Case& c) {
  std::mt19937 gen(c.oldLength * 31 + c.newLength);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  Rings r{std::vector<double>(c.oldLength), std::vector<double>(c.oldLength),
          // One spare sample past the end of each ring catches a write beyond it.
          std::vector<double>(c.newLength + 1, 7.0), std::vector<double>(c.newLength + 1, 7.0)};
  for (int32_t i = 0; i < c.oldLength; ++i) {
    r.oldL[i] = dist(gen);
    r.oldR[i] = dist(gen);
  }
  stretchRingsDirect(
      {r.oldL.data(), r.oldR.data(), c.oldLength, r.directL.data(), r.directR.data(), c.newLength},
      c.seed);
  return r;
}

// Number of samples (over both rings) whose bits differ from the oracle's.
int differingSamplesOn(const Case& c, const Rings& r, VectorPath path) {
  std::vector<double> fastL(c.newLength + 1, 7.0), fastR(c.newLength + 1, 7.0);
  stretchRingsUpTo(
      {r.oldL.data(), r.oldR.data(), c.oldLength, fastL.data(), fastR.data(), c.newLength}, c.seed,
      path);
  int differing = 0;
  for (int32_t i = 0; i <= c.newLength; ++i) {
    differing += std::memcmp(&fastL[i], &r.directL[i], sizeof(double)) != 0;
    differing += std::memcmp(&fastR[i], &r.directR[i], sizeof(double)) != 0;
  }

  // Made a run at a time from a frame inside the ring, as the echo blocks
  // make it: runs of 1 to a few thousand frames, the last of each ring's
  // part cut at the ring's end. Past the new ring nothing is written.
  std::fill(fastL.begin(), fastL.end(), 7.0);
  std::fill(fastR.begin(), fastR.end(), 7.0);
  StretchMaker maker;
  const int32_t first =
      static_cast<int32_t>((31u * c.seed + 7u) % static_cast<uint32_t>(c.newLength));
  maker.begin({r.oldL.data(), r.oldR.data(), c.oldLength, fastL.data(), fastR.data(), c.newLength},
              c.seed, first, false);
  int32_t runs = 0;
  while (!maker.done()) {
    const int32_t most = 1 + (runs * 2654435761u >> 20) % 3000;
    if (maker.makeRun(most, path) <= 0) return differing + 1000000;  // made nothing
    ++runs;
  }
  for (int32_t i = 0; i <= c.newLength; ++i) {
    differing += std::memcmp(&fastL[i], &r.directL[i], sizeof(double)) != 0;
    differing += std::memcmp(&fastR[i], &r.directR[i], sizeof(double)) != 0;
  }
  return differing;
}

// Each vector width the processor supports is checked against the oracle
// (a wider one it lacks would run the narrower one again).
int differingSamples(const Case& c) {
  const Rings rings = ringsOf(c);
  int differing = 0;
  for (VectorPath path :
       {VectorPath::kScalar, VectorPath::kSse2, VectorPath::kAvx2, VectorPath::kAvx512}) {
    if (path == VectorPath::kAvx2 && !processorHasAvx2()) continue;
    if (path == VectorPath::kAvx512 && !processorHasAvx512()) continue;
    differing += differingSamplesOn(c, rings, path);
  }
  return differing;
}

template <size_t kCount>
void expectEveryCaseEqual(const Case (&cases)[kCount]) {
  for (const Case& c : cases) {
    EXPECT_EQ(differingSamples(c), 0) << c.oldLength << " -> " << c.newLength;
  }
}

TEST(StretchEquality, SmallestRings) {
  for (int32_t lo = 1; lo <= 9; ++lo) {
    for (int32_t ln = 1; ln <= 9; ++ln) {
      EXPECT_EQ(differingSamples({lo, ln, 0u}), 0) << lo << " -> " << ln;
    }
  }
}

TEST(StretchEquality, ExactBinaryRatios) {
  // Steps like 0.5, 1.5 or 3/64 are short binary fractions: sums land on
  // halfway points in high binades, where rounding depends on x.
  const Case cases[] = {{1000, 2000, 1u},     {3000, 2000, 2u},      {249600, 124800, 3u},
                        {124800, 249600, 4u}, {3 * 4096, 65536, 5u}, {65537, 65536, 6u},
                        {1323, 2646, 7u},     {2646, 1000, 8u},      {131071, 131072, 9u},
                        {8192, 1, 10u},       {1, 8192, 11u},        {5, 249600, 12u}};
  expectEveryCaseEqual(cases);
}

TEST(StretchEquality, StepsThatTieInAWholeBinade) {
  // Knob-sized moves whose step lies exactly halfway between two multiples of
  // the read position's ulp in one binade: 2^15 (most of the ring), 2^1, 2^2,
  // and 2^11, 2^13, 2^14 entered at an odd multiple of the ulp.
  const Case cases[] = {{56287, 56251, 13u},   {56323, 56287, 14u}, {23428, 23430, 15u},
                        {117865, 117938, 16u}, {21988, 21960, 17u}, {22681, 22674, 18u},
                        {33048, 33083, 19u}};
  expectEveryCaseEqual(cases);
}

TEST(StretchEquality, RandomLengthsUpToTheLongestLine) {
  std::mt19937 gen(99);
  std::uniform_int_distribution<int32_t> length(1, 249600);
  for (int trial = 0; trial < 60; ++trial) {
    const int32_t lo = length(gen);
    // Half the trials move by a knob-sized step, half jump anywhere.
    const int32_t ln = trial % 2
                           ? length(gen)
                           : std::max<int32_t>(1, lo + static_cast<int32_t>(gen() % 4001) - 2000);
    EXPECT_EQ(differingSamples({lo, ln, static_cast<uint32_t>(gen())}), 0) << lo << " -> " << ln;
  }
}

TEST(StretchEquality, AroundTheLongestLines) {
  // A "Delay" sweep at 192 kHz moves the longest lines by about 300 samples a
  // block; also growths and shrinks across a binade's top (2^18), by a few
  // samples, by one and by far.
  const Case cases[] = {{498895, 499200, 21u}, {499200, 498895, 22u}, {262100, 262200, 23u},
                        {262200, 262100, 24u}, {499199, 499200, 25u}, {499200, 499199, 26u},
                        {92160, 499200, 27u},  {499200, 92160, 28u},  {1024, 1025, 29u},
                        {8191, 8200, 30u}};
  expectEveryCaseEqual(cases);
}

TEST(StretchEquality, StepsJustInsideAndOutsideTheRunSearch) {
  // Steps within 1/128 of 1 write runs of consecutive pairs without the
  // per-group test; just inside and just outside that bound, by single
  // samples, and runs that break every few hundred frames.
  const Case cases[] = {{51200, 51600, 31u},   {51600, 51200, 32u},   {51200, 51601, 33u},
                        {51601, 51200, 34u},   {131072, 131073, 35u}, {131073, 131072, 36u},
                        {200000, 199611, 37u}, {199611, 200000, 38u}, {4096, 4104, 39u},
                        {4104, 4096, 40u}};
  expectEveryCaseEqual(cases);
}

// Rings of zeros, as "Mute" leaves them: their stretch is the noise alone,
// written without reading them, the oracle's bits on every width, and
// nothing written past the new ring.
TEST(StretchEquality, EmptyRingsGiveTheNoiseAlone) {
  std::mt19937 gen(3);
  std::vector<Case> cases;
  for (int32_t n = 1; n <= 40; ++n) cases.push_back({n + 3, n, 17u * static_cast<uint32_t>(n)});
  for (int k = 0; k < 6; ++k) {
    const int32_t n = 1000 + static_cast<int32_t>(gen() % 124800);
    cases.push_back({1 + static_cast<int32_t>(gen() % 124800), n, static_cast<uint32_t>(gen())});
  }
  for (const Case& c : cases) {
    const std::vector<double> zerosL(c.oldLength, 0.0), zerosR(c.oldLength, 0.0);
    std::vector<double> directL(c.newLength), directR(c.newLength);
    stretchRingsDirect(
        {zerosL.data(), zerosR.data(), c.oldLength, directL.data(), directR.data(), c.newLength},
        c.seed);
    for (VectorPath path : {VectorPath::kScalar, VectorPath::kSse2, VectorPath::kAvx2}) {
      std::vector<double> lineL(c.newLength + 1, 7.0), lineR(c.newLength + 1, 7.0);
      stretchEmptyRings(lineL.data(), lineR.data(), c.newLength, c.seed, path);
      EXPECT_EQ(std::memcmp(lineL.data(), directL.data(), sizeof(double) * c.newLength), 0)
          << c.oldLength << " -> " << c.newLength << ", path " << static_cast<int>(path);
      EXPECT_EQ(std::memcmp(lineR.data(), directR.data(), sizeof(double) * c.newLength), 0);
      EXPECT_EQ(lineL[c.newLength], 7.0);
      EXPECT_EQ(lineR[c.newLength], 7.0);

      // Made in runs from the middle, the old rings (poisoned) never read.
      std::vector<double> poisonL(c.oldLength, 99.0), poisonR(c.oldLength, 99.0);
      std::fill(lineL.begin(), lineL.end(), 7.0);
      std::fill(lineR.begin(), lineR.end(), 7.0);
      StretchMaker maker;
      maker.begin(
          {poisonL.data(), poisonR.data(), c.oldLength, lineL.data(), lineR.data(), c.newLength},
          c.seed, c.newLength / 3, true);
      while (!maker.done()) maker.makeRun(11, path);
      EXPECT_EQ(std::memcmp(lineL.data(), directL.data(), sizeof(double) * c.newLength), 0);
      EXPECT_EQ(std::memcmp(lineR.data(), directR.data(), sizeof(double) * c.newLength), 0);
      EXPECT_EQ(lineL[c.newLength], 7.0);
    }
  }
}

}  // namespace
