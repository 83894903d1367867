// The stretch's runs in 512-bit vectors, eight frames at once (the rules
// they keep are at the top of line_stretch.h). The generator states of the
// left and of the right samples sit in two vectors of eight 64-bit lanes,
// each state in a lane's low half; the upper half is never read: the product
// that steps the generator takes the low halves only, and the noise takes
// state bits 9..31. Three modes, all in fastRunAvx512:
//   - window: a step below 1.875, so the eight frames read within 16
//     consecutive old samples: two loads per line, the pairs picked out by
//     index (two plain loads where they are consecutive);
//   - runs: a step near 1, where long runs of groups read consecutive pairs
//     (stretch_spans.h) and skip the per-group test;
//   - scattered: any other step, each frame's pair loaded on its own.
#pragma once

#include <cstdint>

#include "engine/line_stretch.h"
#include "engine/stretch_noise.h"
#include "engine/stretch_spans.h"
#include "engine/wide_intrinsics.h"

#ifdef QUILLET_WIDE_VECTORS

namespace quillet::engine {

// The generator advanced by a jump (mul, add) in every lane, modulo 2^32.
__attribute__((target("avx512f"))) inline __m512i stepNoiseLanes(__m512i states, __m512i mul,
                                                                 __m512i add) {
  return _mm512_add_epi64(_mm512_mul_epu32(states, mul), add);
}

// stretchNoise of every lane. The top 23 state bits become the mantissa of a
// double in [1, 2); minus 1.5 that is exactly the single-precision value
// (v - 3) * 0.5 that stretchNoise scales, so the product is the same bits.
__attribute__((target("avx512f"))) inline __m512d noiseLanes(__m512i states) {
  const __m512i mantissa = _mm512_set1_epi64(0x000FFFFFE0000000LL);  // state bits 9..31, moved
  const __m512i one = _mm512_set1_epi64(0x3FF0000000000000LL);
  // (shifted & mantissa) | one
  const __m512i bits =
      _mm512_ternarylogic_epi64(_mm512_slli_epi64(states, 20), mantissa, one, 0xEA);
  const __m512d centred = _mm512_sub_pd(_mm512_castsi512_pd(bits), _mm512_set1_pd(1.5));
  return _mm512_mul_pd(centred, _mm512_set1_pd(5e-5));
}

// Each frame's pair of old samples (k and k + 1) for eight frames whose reads
// all lie within line[k0 .. k0 + 15]; idx holds each frame's k - k0. A run of
// eight consecutive samples, as a step near 1 reads almost always, takes two
// plain loads; otherwise the pairs are picked out of two loads by index.
struct SamplePairs {
  __m512d a, b;
};

__attribute__((target("avx512f"))) inline SamplePairs windowPairs(const double* line, int64_t k0,
                                                                  __m512i idx, bool consecutive) {
  if (consecutive) return {_mm512_loadu_pd(line + k0), _mm512_loadu_pd(line + k0 + 1)};
  const __m512d low = _mm512_loadu_pd(line + k0);
  const __m512d high = _mm512_loadu_pd(line + k0 + 8);
  const __m512i idxNext = _mm512_add_epi64(idx, _mm512_set1_epi64(1));
  return {_mm512_permutex2var_pd(low, idx, high), _mm512_permutex2var_pd(low, idxNext, high)};
}

// True when the eight frames read eight consecutive pairs.
__attribute__((target("avx512f"))) inline bool consecutivePairs(__m512i idx) {
  return _mm512_cmpeq_epi64_mask(idx, _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0)) == 0xFF;
}

// x - trunc(x) of eight read positions (never negative): exact.
__attribute__((target("avx512f"))) inline __m512d fractionsAvx512(__m512d xs) {
  return _mm512_sub_pd(xs, _mm512_roundscale_pd(xs, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
}

// (b - a) * f + a + noise, rounded step by step as the scalar frame.
__attribute__((target("avx512f"))) inline __m512d newSamples(SamplePairs p, __m512d f,
                                                             __m512d noise) {
  return _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(_mm512_sub_pd(p.b, p.a), f), p.a), noise);
}

// Eight frames at read positions xs, each reading within oldL/oldR[k0 ..
// k0 + 15] for k0 the first frame's pair, written to out*[0..7].
__attribute__((target("avx512f,avx512dq"))) inline void eightFramesAvx512(
    const double* oldL, const double* oldR, double* outL, double* outR, __m512d xs, __m512i statesL,
    __m512i statesR) {
  // Truncated to 64-bit lanes: one instruction each way, and the lanes are
  // already the permutes' indices.
  const __m512i kv = _mm512_cvttpd_epi64(xs);
  const __m512d f = _mm512_sub_pd(xs, _mm512_cvtepi64_pd(kv));
  const int64_t k0 = _mm_cvtsi128_si64(_mm512_castsi512_si128(kv));
  const __m512i idx = _mm512_sub_epi64(kv, _mm512_set1_epi64(k0));
  const bool run = consecutivePairs(idx);
  const SamplePairs l = windowPairs(oldL, k0, idx, run);
  const SamplePairs r = windowPairs(oldR, k0, idx, run);
  _mm512_storeu_pd(outL, newSamples(l, f, noiseLanes(statesL)));
  _mm512_storeu_pd(outR, newSamples(r, f, noiseLanes(statesR)));
}

// Groups of eight frames that read consecutive pairs (stretch_spans.h), one
// after another: the first group at out, reading from old[k] on, at
// fractions f; each next group 8 frames further, its fractions those of the
// one before plus 8 * inc - 8 (exact: both stay multiples of the position's
// ulp in [0, 1)), so no position is converted. The states jump by (mul,
// add) per group and are left where the next group starts.
__attribute__((target("avx512f"))) inline void consecutiveGroupsAvx512(
    const double* oldL, const double* oldR, double* outL, double* outR, int64_t k, int32_t groups,
    __m512d f, double inc, __m512i& statesL, __m512i& statesR, __m512i mul, __m512i add) {
  const __m512d drift = _mm512_set1_pd(8.0 * inc - 8.0);
  for (int32_t g = 0; g < groups; ++g) {
    const SamplePairs l{_mm512_loadu_pd(oldL + k), _mm512_loadu_pd(oldL + k + 1)};
    const SamplePairs r{_mm512_loadu_pd(oldR + k), _mm512_loadu_pd(oldR + k + 1)};
    _mm512_storeu_pd(outL, newSamples(l, f, noiseLanes(statesL)));
    _mm512_storeu_pd(outR, newSamples(r, f, noiseLanes(statesR)));
    f = _mm512_add_pd(f, drift);
    k += 8;
    outL += 8;
    outR += 8;
    statesL = stepNoiseLanes(statesL, mul, add);
    statesR = stepNoiseLanes(statesR, mul, add);
  }
}

// Groups 0 .. groups - 1 of eight frames inside one binade, group g's frames
// at x + (8 g + j) * inc written to out*[8 g .. 8 g + 7], from the states of
// group 0 on: the runs of consecutive pairs without the per-group test, each
// group between them with it. The states are left where the next group
// would start.
__attribute__((target("avx512f,avx512dq"))) inline void groupsByRunsAvx512(
    const double* oldL, const double* oldR, double* outL, double* outR, double x, double inc,
    int32_t groups, __m512i& statesL, __m512i& statesR, __m512i mul, __m512i add) {
  const __m512d lanes =
      _mm512_mul_pd(_mm512_set1_pd(inc), _mm512_set_pd(7.0, 6.0, 5.0, 4.0, 3.0, 2.0, 1.0, 0.0));
  // Locals: the stores could alias the caller's states, which would reload
  // them every group.
  __m512i sl = statesL;
  __m512i sr = statesR;
  forEachGroupRun(
      x, inc, groups,
      [&](int32_t g, int32_t n, double at) __attribute__((target("avx512f"))) {
        const __m512d f = fractionsAvx512(_mm512_add_pd(_mm512_set1_pd(at), lanes));
        consecutiveGroupsAvx512(oldL, oldR, outL + 8 * g, outR + 8 * g, static_cast<int64_t>(at), n,
                                f, inc, sl, sr, mul, add);
      },
      [&](int32_t g, double at) __attribute__((target("avx512f,avx512dq"))) {
        eightFramesAvx512(oldL, oldR, outL + 8 * g, outR + 8 * g,
                          _mm512_add_pd(_mm512_set1_pd(at), lanes), sl, sr);
        sl = stepNoiseLanes(sl, mul, add);
        sr = stepNoiseLanes(sr, mul, add);
      });
  statesL = sl;
  statesR = sr;
}

// The state in lane 7 (the last frame's): the low half of the top lane.
__attribute__((target("avx512f"))) inline uint32_t lastLaneState(__m512i states) {
  return static_cast<uint32_t>(_mm_extract_epi32(_mm512_extracti32x4_epi32(states, 3), 2));
}

// Eight frames at read positions xs, each reading its own pair of old
// samples anywhere below the last: the pairs of frames 0, 2, 4, 6 and of 1,
// 3, 5, 7 loaded two doubles at a time, then split into the a and b vectors
// in frame order.
__attribute__((target("avx512f,avx512dq"))) inline void scatteredEightAvx512(
    const double* oldL, const double* oldR, double* outL, double* outR, __m512d xs, __m512i statesL,
    __m512i statesR) {
  const __m512i kv = _mm512_cvttpd_epi64(xs);
  const __m512d f = _mm512_sub_pd(xs, _mm512_cvtepi64_pd(kv));
  alignas(64) int64_t k[8];
  _mm512_store_si512(k, kv);
  const auto pairs = [&](const double* old) __attribute__((target("avx512f,avx512dq"))) {
    __m512d even = _mm512_castpd128_pd512(_mm_loadu_pd(old + k[0]));
    even = _mm512_insertf64x2(even, _mm_loadu_pd(old + k[2]), 1);
    even = _mm512_insertf64x2(even, _mm_loadu_pd(old + k[4]), 2);
    even = _mm512_insertf64x2(even, _mm_loadu_pd(old + k[6]), 3);
    __m512d odd = _mm512_castpd128_pd512(_mm_loadu_pd(old + k[1]));
    odd = _mm512_insertf64x2(odd, _mm_loadu_pd(old + k[3]), 1);
    odd = _mm512_insertf64x2(odd, _mm_loadu_pd(old + k[5]), 2);
    odd = _mm512_insertf64x2(odd, _mm_loadu_pd(old + k[7]), 3);
    return SamplePairs{_mm512_unpacklo_pd(even, odd), _mm512_unpackhi_pd(even, odd)};
  };
  _mm512_storeu_pd(outL, newSamples(pairs(oldL), f, noiseLanes(statesL)));
  _mm512_storeu_pd(outR, newSamples(pairs(oldR), f, noiseLanes(statesR)));
}

// Frames i, i + 1, ... of r, eight at a time, from read position `position`
// and generator state s on, while each group stays inside one binade of the
// position (below `limit`, which is also below the last old sample); x
// advances by `inc` per frame, the rounded addition there. Leaves position
// and s where the next frame starts; returns the frames written.
__attribute__((target("avx512f,avx512dq"))) inline int32_t fastRunAvx512(
    const StretchRings& r, int32_t i, double& position, double inc, double limit, uint32_t& s) {
  // A local copy: the stores into the new ring could alias the caller's x, which
  // would otherwise make every addition go through memory.
  double x = position;
  const int32_t start = i;
  alignas(64) uint64_t stL[8];
  alignas(64) uint64_t stR[8];
  eightFrameStates(s, noiseJump(0), kFrameOrder, stL, stR);
  __m512i statesL = _mm512_load_si512(stL);
  __m512i statesR = _mm512_load_si512(stR);
  const __m512i jumpMul = _mm512_set1_epi64(kGroupJump.mul);
  const __m512i jumpAdd = _mm512_set1_epi64(kGroupJump.add);
  // j * inc is a multiple of the ulp below the binade's top, so exact, and so
  // is each lane's sum.
  const __m512d lane = _mm512_set_pd(7.0, 6.0, 5.0, 4.0, 3.0, 2.0, 1.0, 0.0);
  const double octInc = 8.0 * inc;
  __m512d xs = _mm512_add_pd(_mm512_set1_pd(x), _mm512_mul_pd(_mm512_set1_pd(inc), lane));
  const __m512d xsInc = _mm512_set1_pd(octInc);
  const double* oldL = r.oldL;
  const double* oldR = r.oldR;
  double* newL = r.newL;
  double* newR = r.newR;
  const int32_t newLength = r.newLength;

  // With a step below 1.875 the eight frames of an iteration read at most 16
  // consecutive old samples; the window then has to end inside the ring.
  const bool window = inc < 1.875;
  const double windowLimit = static_cast<double>(r.oldLength) - 18.0;
  if (window && runsWorthFinding(x, inc)) {
    // Each group also starts below the window's limit.
    int32_t groups = groupsBelowLimit(x, octInc, limit, (newLength - i) / 8);
    while (groups > 0 && !(x + static_cast<double>(groups - 1) * octInc < windowLimit)) --groups;
    groupsByRunsAvx512(oldL, oldR, newL + i, newR + i, x, inc, groups, statesL, statesR, jumpMul,
                       jumpAdd);
    // The right sample of the last frame written: lane 7, one jump back.
    if (groups > 0) s = lastLaneState(statesR) * kGroupBack.mul + kGroupBack.add;
    i += 8 * groups;
    position = x + static_cast<double>(groups) * octInc;  // exact, as each group's start
    return i - start;
  }
  while (i + 8 <= newLength && x + octInc < limit && (!window || x < windowLimit)) {
    if (window) {
      eightFramesAvx512(oldL, oldR, newL + i, newR + i, xs, statesL, statesR);
    } else {
      scatteredEightAvx512(oldL, oldR, newL + i, newR + i, xs, statesL, statesR);
    }
    i += 8;
    x = x + octInc;  // exact: a multiple of the ulp, still inside the binade
    xs = _mm512_add_pd(xs, xsInc);
    statesL = stepNoiseLanes(statesL, jumpMul, jumpAdd);
    statesR = stepNoiseLanes(statesR, jumpMul, jumpAdd);
  }
  // The right sample of the last frame written: lane 7, one jump back.
  if (i > start) s = lastLaneState(statesR) * kGroupBack.mul + kGroupBack.add;
  position = x;
  return i - start;
}

}  // namespace quillet::engine

#endif
