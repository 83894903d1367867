// The stretch's runs in 256-bit vectors, eight frames at once (the rules
// they keep are at the top of line_stretch.h). The generator states of the
// eight left samples and of the eight right samples sit in two vectors of
// 32-bit lanes, in the lane order kNoiseLaneOfFrame. Two modes, both in
// fastRunAvx2:
//   - groups: each group of eight frames tests whether it reads eight
//     consecutive pairs (four plain loads per line) or not (each pair loaded
//     on its own);
//   - runs: a step near 1, where long runs of groups read consecutive pairs
//     (stretch_spans.h) and skip the test.
// And the noise alone of an empty rings' stretch (emptyGroupsAvx2).
#pragma once

#include <cstdint>

#include "engine/line_stretch.h"
#include "engine/stretch_noise.h"
#include "engine/stretch_spans.h"
#include "engine/wide_intrinsics.h"

#ifdef QUILLET_WIDE_VECTORS

namespace quillet::engine {

// The lane that holds the state of frame j of a line: this order puts
// frames 0..3 into the first vector of noise and 4..7 into the second.
constexpr int kNoiseLaneOfFrame[8] = {0, 1, 4, 5, 2, 3, 6, 7};

// stretchNoise of the eight states. stretchNoise scales m / 2^23 - 1/2,
// where m is the top 23 state bits, exactly; so does (m - 2^22) times the
// scale over 2^23, rounded once, which gives the same bits. m becomes a
// double as 2^52 + m: m as the low half of the double's bits and 2^52's
// exponent as the high half, interleaved; subtracting 2^52 + 2^22 is exact.
__attribute__((target("avx2"))) inline void noiseLanesAvx2(__m256i states, __m256d& first,
                                                           __m256d& second) {
  const __m256i m = _mm256_srli_epi32(states, 9);
  const __m256i exponent = _mm256_set1_epi32(0x43300000);  // high half of 2^52
  const __m256d bigFirst = _mm256_castsi256_pd(_mm256_unpacklo_epi32(m, exponent));
  const __m256d bigSecond = _mm256_castsi256_pd(_mm256_unpackhi_epi32(m, exponent));
  const __m256d offset = _mm256_set1_pd(4503599627370496.0 + 4194304.0);  // 2^52 + 2^22
  const __m256d scale = _mm256_set1_pd(5e-5 / 8388608.0);                 // exact: / 2^23
  first = _mm256_mul_pd(_mm256_sub_pd(bigFirst, offset), scale);
  second = _mm256_mul_pd(_mm256_sub_pd(bigSecond, offset), scale);
}

// The old samples k and k + 1 of four frames, as the vector of the k values
// and the vector of the k + 1 values.
__attribute__((target("avx2"))) inline void pairsAvx2(const double* line, const int32_t* k,
                                                      __m256d& a, __m256d& b) {
  const __m256d p02 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(line + k[0])),
                                           _mm_loadu_pd(line + k[2]), 1);
  const __m256d p13 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(line + k[1])),
                                           _mm_loadu_pd(line + k[3]), 1);
  a = _mm256_unpacklo_pd(p02, p13);
  b = _mm256_unpackhi_pd(p02, p13);
}

// x - trunc(x) of four read positions (never negative): exact.
__attribute__((target("avx2"))) inline __m256d fractionsAvx2(__m256d xs) {
  return _mm256_sub_pd(xs, _mm256_round_pd(xs, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
}

// (b - a) * f + a, rounded step by step as the scalar interpolation.
__attribute__((target("avx2"))) inline __m256d lerpAvx2(__m256d a, __m256d b, __m256d f) {
  return _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(b, a), f), a);
}

// One line's eight new samples from its old pairs (a, b) at fractions f, with
// the noise of the line's eight states.
__attribute__((target("avx2"))) inline void storeEightAvx2(double* out, __m256d a0, __m256d b0,
                                                           __m256d a1, __m256d b1, __m256d f0,
                                                           __m256d f1, __m256i states) {
  __m256d noise0, noise1;
  noiseLanesAvx2(states, noise0, noise1);
  _mm256_storeu_pd(out, _mm256_add_pd(lerpAvx2(a0, b0, f0), noise0));
  _mm256_storeu_pd(out + 4, _mm256_add_pd(lerpAvx2(a1, b1, f1), noise1));
}

// One line's eight frames reading the consecutive pairs from old[k0] on.
__attribute__((target("avx2"))) inline void consecutiveEightAvx2(const double* old, int32_t k0,
                                                                 double* out, __m256d f0,
                                                                 __m256d f1, __m256i states) {
  const __m256d a0 = _mm256_loadu_pd(old + k0);
  const __m256d b0 = _mm256_loadu_pd(old + k0 + 1);
  const __m256d a1 = _mm256_loadu_pd(old + k0 + 4);
  const __m256d b1 = _mm256_loadu_pd(old + k0 + 5);
  storeEightAvx2(out, a0, b0, a1, b1, f0, f1, states);
}

// One line's eight frames reading the pairs from old[k[j]] on.
__attribute__((target("avx2"))) inline void scatteredEightAvx2(const double* old, const int32_t* k,
                                                               double* out, __m256d f0, __m256d f1,
                                                               __m256i states) {
  __m256d a0, b0, a1, b1;
  pairsAvx2(old, k, a0, b0);
  pairsAvx2(old, k + 4, a1, b1);
  storeEightAvx2(out, a0, b0, a1, b1, f0, f1, states);
}

// Eight frames at read positions xs0 (frames 0..3) and xs1 (frames 4..7),
// each reading old[k] and old[k + 1] below oldL/oldR's last sample, written
// to out*[0..7]. A step near 1 makes the eight frames read eight
// consecutive pairs almost always: then four plain loads per line; otherwise
// each pair is loaded on its own.
__attribute__((target("avx2"))) inline void eightFramesAvx2(const double* oldL, const double* oldR,
                                                            double* outL, double* outR, __m256d xs0,
                                                            __m256d xs1, __m256i statesL,
                                                            __m256i statesR) {
  // Truncation: x is never negative. Frame j + 1 reads at most one pair
  // further on than frame j if the step is below 1, at least one if it is
  // not, so the eight read consecutive pairs exactly when k7 = k0 + 7.
  const __m256d f0 = fractionsAvx2(xs0);
  const __m256d f1 = fractionsAvx2(xs1);
  const int32_t k0 = _mm_cvttsd_si32(_mm256_castpd256_pd128(xs0));
  const __m128d last = _mm256_extractf128_pd(xs1, 1);
  const int32_t k7 = _mm_cvttsd_si32(_mm_unpackhi_pd(last, last));
  if (k7 - k0 == 7) {
    consecutiveEightAvx2(oldL, k0, outL, f0, f1, statesL);
    consecutiveEightAvx2(oldR, k0, outR, f0, f1, statesR);
  } else {
    alignas(32) int32_t ks[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(ks), _mm256_cvttpd_epi32(xs0));
    _mm_store_si128(reinterpret_cast<__m128i*>(ks + 4), _mm256_cvttpd_epi32(xs1));
    scatteredEightAvx2(oldL, ks, outL, f0, f1, statesL);
    scatteredEightAvx2(oldR, ks, outR, f0, f1, statesR);
  }
}

// The generator advanced by a jump (mul, add) in every lane, modulo 2^32.
__attribute__((target("avx2"))) inline __m256i stepNoiseLanesAvx2(__m256i states, __m256i mul,
                                                                  __m256i add) {
  return _mm256_add_epi32(_mm256_mullo_epi32(states, mul), add);
}

// Groups of eight frames that read consecutive pairs (stretch_spans.h), one
// after another: the first group at out, reading from old[k] on, with
// fractions f0, f1; each next group 8 frames further, its fractions those of
// the one before plus 8 * inc - 8 (exact: both stay multiples of the
// position's ulp in [0, 1)). The states jump by (mul, add) per group and are
// left where the next group starts.
__attribute__((target("avx2"))) inline void consecutiveGroupsAvx2(
    const double* oldL, const double* oldR, double* outL, double* outR, int32_t k, int32_t groups,
    __m256d f0, __m256d f1, double inc, __m256i& statesL, __m256i& statesR, __m256i mul,
    __m256i add) {
  const __m256d drift = _mm256_set1_pd(8.0 * inc - 8.0);
  for (int32_t g = 0; g < groups; ++g) {
    consecutiveEightAvx2(oldL, k, outL, f0, f1, statesL);
    consecutiveEightAvx2(oldR, k, outR, f0, f1, statesR);
    f0 = _mm256_add_pd(f0, drift);
    f1 = _mm256_add_pd(f1, drift);
    k += 8;
    outL += 8;
    outR += 8;
    statesL = stepNoiseLanesAvx2(statesL, mul, add);
    statesR = stepNoiseLanesAvx2(statesR, mul, add);
  }
}

// As groupsByRunsAvx512 (stretch_lanes_avx512.h), in 256-bit vectors.
__attribute__((target("avx2"))) inline void groupsByRunsAvx2(const double* oldL, const double* oldR,
                                                             double* outL, double* outR, double x,
                                                             double inc, int32_t groups,
                                                             __m256i& statesL, __m256i& statesR,
                                                             __m256i mul, __m256i add) {
  const __m256d incs = _mm256_set1_pd(inc);
  const __m256d lanes0 = _mm256_mul_pd(incs, _mm256_set_pd(3, 2, 1, 0));  // exact
  const __m256d lanes1 = _mm256_mul_pd(incs, _mm256_set_pd(7, 6, 5, 4));
  // Locals: the stores could alias the caller's states, which would reload
  // them every group.
  __m256i sl = statesL;
  __m256i sr = statesR;
  forEachGroupRun(
      x, inc, groups,
      [&](int32_t g, int32_t n, double at) __attribute__((target("avx2"))) {
        const __m256d xs0 = _mm256_add_pd(_mm256_set1_pd(at), lanes0);
        const __m256d xs1 = _mm256_add_pd(_mm256_set1_pd(at), lanes1);
        consecutiveGroupsAvx2(oldL, oldR, outL + 8 * g, outR + 8 * g, static_cast<int32_t>(at), n,
                              fractionsAvx2(xs0), fractionsAvx2(xs1), inc, sl, sr, mul, add);
      },
      [&](int32_t g, double at) __attribute__((target("avx2"))) {
        const __m256d xs0 = _mm256_add_pd(_mm256_set1_pd(at), lanes0);
        const __m256d xs1 = _mm256_add_pd(_mm256_set1_pd(at), lanes1);
        eightFramesAvx2(oldL, oldR, outL + 8 * g, outR + 8 * g, xs0, xs1, sl, sr);
        sl = stepNoiseLanesAvx2(sl, mul, add);
        sr = stepNoiseLanesAvx2(sr, mul, add);
      });
  statesL = sl;
  statesR = sr;
}

// The states of the first group's eight left and eight right samples from
// state s on, in the lanes kNoiseLaneOfFrame names.
__attribute__((target("avx2"))) inline void firstGroupStatesAvx2(uint32_t s, __m256i& statesL,
                                                                 __m256i& statesR) {
  alignas(32) uint32_t stL[8];
  alignas(32) uint32_t stR[8];
  eightFrameStates(s, noiseJump(0), kNoiseLaneOfFrame, stL, stR);
  statesL = _mm256_load_si256(reinterpret_cast<const __m256i*>(stL));
  statesR = _mm256_load_si256(reinterpret_cast<const __m256i*>(stR));
}

// Frames i, i + 1, ... of r, eight at a time, from read position `position`
// and generator state s on, while each group stays inside one binade of the
// position (below `limit`, which is also below the last old sample); x
// advances by `inc` per frame, the rounded addition there. Leaves position
// and s where the next frame starts; returns the frames written.
__attribute__((target("avx2"))) inline int32_t fastRunAvx2(const StretchRings& r, int32_t i,
                                                           double& position, double inc,
                                                           double limit, uint32_t& s) {
  // A local copy: the stores into the new ring could alias the caller's x, which
  // would otherwise make every addition go through memory.
  double x = position;
  const int32_t start = i;
  __m256i statesL, statesR;
  firstGroupStatesAvx2(s, statesL, statesR);
  const __m256i jumpMul = _mm256_set1_epi32(static_cast<int>(kGroupJump.mul));
  const __m256i jumpAdd = _mm256_set1_epi32(static_cast<int>(kGroupJump.add));
  const double octInc = 8.0 * inc;
  const int32_t groups = groupsBelowLimit(x, octInc, limit, (r.newLength - i) / 8);
  // Locals: the stores could alias r, which would reload these every group.
  const double* oldL = r.oldL;
  const double* oldR = r.oldR;
  double* newL = r.newL + i;
  double* newR = r.newR + i;

  if (!runsWorthFinding(x, inc)) {
    // Each group tests its pairs. Positions x + (8 g + j) * inc, each exact.
    const __m256d incs = _mm256_set1_pd(inc);
    __m256d xs0 = _mm256_add_pd(_mm256_set1_pd(x), _mm256_mul_pd(incs, _mm256_set_pd(3, 2, 1, 0)));
    __m256d xs1 = _mm256_add_pd(_mm256_set1_pd(x), _mm256_mul_pd(incs, _mm256_set_pd(7, 6, 5, 4)));
    const __m256d xsInc = _mm256_set1_pd(octInc);
    for (int32_t g = 0; g < groups; ++g) {
      eightFramesAvx2(oldL, oldR, newL + 8 * g, newR + 8 * g, xs0, xs1, statesL, statesR);
      xs0 = _mm256_add_pd(xs0, xsInc);
      xs1 = _mm256_add_pd(xs1, xsInc);
      statesL = stepNoiseLanesAvx2(statesL, jumpMul, jumpAdd);
      statesR = stepNoiseLanesAvx2(statesR, jumpMul, jumpAdd);
    }
  } else {
    groupsByRunsAvx2(oldL, oldR, newL, newR, x, inc, groups, statesL, statesR, jumpMul, jumpAdd);
  }
  // The right sample of the last frame written: lane 7, one jump back.
  if (groups > 0) {
    s = static_cast<uint32_t>(_mm256_extract_epi32(statesR, 7)) * kGroupBack.mul + kGroupBack.add;
  }
  i += 8 * groups;
  position = x + static_cast<double>(groups) * octInc;  // exact, as each group's start
  return i - start;
}

// Frames 0 .. 8 * groups - 1 of an empty rings' stretch from the generator
// state s on, eight at a time: the noise alone.
__attribute__((target("avx2"))) inline void emptyGroupsAvx2(double* lineL, double* lineR,
                                                            int32_t groups, uint32_t s) {
  __m256i statesL, statesR;
  firstGroupStatesAvx2(s, statesL, statesR);
  const __m256i mul = _mm256_set1_epi32(static_cast<int>(kGroupJump.mul));
  const __m256i add = _mm256_set1_epi32(static_cast<int>(kGroupJump.add));
  for (int32_t g = 0; g < groups; ++g) {
    __m256d l0, l1, r0, r1;
    noiseLanesAvx2(statesL, l0, l1);
    noiseLanesAvx2(statesR, r0, r1);
    _mm256_storeu_pd(lineL + 8 * g, l0);
    _mm256_storeu_pd(lineL + 8 * g + 4, l1);
    _mm256_storeu_pd(lineR + 8 * g, r0);
    _mm256_storeu_pd(lineR + 8 * g + 4, r1);
    statesL = stepNoiseLanesAvx2(statesL, mul, add);
    statesR = stepNoiseLanesAvx2(statesR, mul, add);
  }
}

}  // namespace quillet::engine

#endif
