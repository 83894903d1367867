// The stretch's run in 128-bit vectors, two frames at a time (the rules it
// keeps are at the top of line_stretch.h): the left and right values of a
// frame travel as one pair of doubles, positions x and x + inc are exact
// inside one binade, the four generator states of two frames advance by one
// jump of four steps, the noise is formed in single precision and widened.
// Two forms of the same arithmetic, lane for lane:
//   - SSE2 intrinsics on x86, which has no 128-bit product of 32-bit lanes
//     and converts floats to doubles from the low half only;
//   - GCC vectors elsewhere (NEON on aarch64; the portable engine).
// On x86 the GCC vector form takes 1.20 times as long (645 against 539 us
// for one stretch of both 2.6 s lines at 96 kHz, the fastest of each of
// three rounds of `bash scripts/bench.sh`), so x86 keeps the SSE2 one.
#pragma once

#include <cstdint>

#include "engine/line_stretch.h"
#include "engine/stretch_noise.h"

#if defined(QUILLET_PORTABLE_ENGINE)
#define QUILLET_STRETCH_128 1

namespace quillet::engine::stretch128 {

using Pair = double __attribute__((vector_size(16)));
using States = uint32_t __attribute__((vector_size(16)));
using Floats = float __attribute__((vector_size(16)));
using FloatPair = float __attribute__((vector_size(8)));

constexpr NoiseJump kJump4 = noiseJump(4);

// Interpolated pair (left, right) at position k + f, for k < oldLength - 1.
inline Pair interpolatePair(const StretchRings& r, int32_t k, double f) {
  const Pair a{r.oldL[k], r.oldR[k]};
  const Pair b{r.oldL[k + 1], r.oldR[k + 1]};
  return (b - a) * f + a;
}

// As the SSE2 form's fastRun below.
inline int32_t fastRun(const StretchRings& r, int32_t i, double& position, double inc, double limit,
                       uint32_t& s) {
  // A local copy: the stores into the new ring could alias the caller's x.
  double x = position;
  const int32_t start = i;
  const uint32_t s1 = nextNoiseState(s);
  const uint32_t s2 = nextNoiseState(s1);
  const uint32_t s3 = nextNoiseState(s2);
  const uint32_t s4 = nextNoiseState(s3);
  States states{s1, s2, s3, s4};  // left and right of frame i, then of frame i + 1
  const double pairInc = inc + inc;
  Pair xs{x, x + inc};
  bool any = false;

  while (i + 2 <= r.newLength && x + pairInc < limit) {
    if (any) states = states * kJump4.mul + kJump4.add;
    any = true;
    const int32_t k0 = static_cast<int32_t>(xs[0]);
    const int32_t k1 = static_cast<int32_t>(xs[1]);
    const double f0 = xs[0] - static_cast<double>(k0);
    const double f1 = xs[1] - static_cast<double>(k1);

    // stretchNoise of the four states: the top 23 bits as the mantissa of a
    // float in [2, 4), centred and halved in single precision, then widened.
    const Floats unit = reinterpret_cast<Floats>((states >> 9) | 0x40000000u);
    const Floats centred = (unit - 3.0f) * 0.5f;
    const Pair noise0 = __builtin_convertvector((FloatPair{centred[0], centred[1]}), Pair) * 5e-5;
    const Pair noise1 = __builtin_convertvector((FloatPair{centred[2], centred[3]}), Pair) * 5e-5;

    const Pair v0 = interpolatePair(r, k0, f0) + noise0;
    const Pair v1 = interpolatePair(r, k1, f1) + noise1;
    r.newL[i] = v0[0];
    r.newR[i] = v0[1];
    r.newL[i + 1] = v1[0];
    r.newR[i + 1] = v1[1];

    i += 2;
    x = x + pairInc;  // exact: a multiple of the ulp, still inside the binade
    xs = xs + pairInc;
  }
  if (any) s = states[3];
  position = x;
  return i - start;
}

}  // namespace quillet::engine::stretch128

#elif defined(__SSE2__) || defined(_M_X64)
#define QUILLET_STRETCH_128 1

#include <emmintrin.h>

namespace quillet::engine::stretch128 {

// The generator advanced by four steps: s -> jumpMul * s + jumpAdd (mod 2^32).
constexpr uint32_t kJumpMul = noiseJump(4).mul;
constexpr uint32_t kJumpAdd = noiseJump(4).add;

// Lane-wise 32-bit product modulo 2^32 with SSE2 only.
inline __m128i mulLow32(__m128i a, __m128i b) {
  const __m128i even = _mm_mul_epu32(a, b);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// Interpolated pair (left, right) at position k + f, for k < oldLength - 1.
inline __m128d interpolatePair(const StretchRings& r, int32_t k, __m128d f) {
  const __m128d a = _mm_loadh_pd(_mm_load_sd(r.oldL + k), r.oldR + k);
  const __m128d b = _mm_loadh_pd(_mm_load_sd(r.oldL + k + 1), r.oldR + k + 1);
  return _mm_add_pd(_mm_mul_pd(_mm_sub_pd(b, a), f), a);
}

// Frames i, i + 1, ... two at a time while both frames of each pair stay
// inside one binade of x and read below the last old sample (below limit).
// x advances by `inc` per frame, which equals the rounded addition there.
// Leaves position and s where the next frame starts; returns the frames
// written.
inline int32_t fastRun(const StretchRings& r, int32_t i, double& position, double inc, double limit,
                       uint32_t& s) {
  // A local copy: the stores into the new ring could alias the caller's x, which
  // would otherwise make every addition go through memory.
  double x = position;
  const int32_t start = i;
  __m128i states;
  {
    const uint32_t s1 = nextNoiseState(s);
    const uint32_t s2 = nextNoiseState(s1);
    const uint32_t s3 = nextNoiseState(s2);
    const uint32_t s4 = nextNoiseState(s3);
    states = _mm_set_epi32(static_cast<int>(s4), static_cast<int>(s3), static_cast<int>(s2),
                           static_cast<int>(s1));
  }
  const __m128i jumpMul = _mm_set1_epi32(static_cast<int>(kJumpMul));
  const __m128i jumpAdd = _mm_set1_epi32(static_cast<int>(kJumpAdd));
  const __m128i exponentBit = _mm_set1_epi32(0x40000000);
  const __m128 three = _mm_set1_ps(3.0f);
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128d scale = _mm_set1_pd(5e-5);
  const double pairInc = inc + inc;
  __m128d xs = _mm_set_pd(x + inc, x);
  const __m128d xsInc = _mm_set1_pd(pairInc);
  bool any = false;

  while (i + 2 <= r.newLength && x + pairInc < limit) {
    if (any) states = _mm_add_epi32(mulLow32(states, jumpMul), jumpAdd);
    any = true;
    const __m128i k = _mm_cvttpd_epi32(xs);
    const __m128d f = _mm_sub_pd(xs, _mm_cvtepi32_pd(k));
    const int32_t k0 = _mm_cvtsi128_si32(k);
    const int32_t k1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(k, _MM_SHUFFLE(1, 1, 1, 1)));

    const __m128 unit = _mm_castsi128_ps(_mm_or_si128(_mm_srli_epi32(states, 9), exponentBit));
    const __m128 centred = _mm_mul_ps(_mm_sub_ps(unit, three), half);
    const __m128d noise0 = _mm_mul_pd(_mm_cvtps_pd(centred), scale);
    const __m128d noise1 = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(centred, centred)), scale);

    const __m128d v0 = _mm_add_pd(interpolatePair(r, k0, _mm_unpacklo_pd(f, f)), noise0);
    const __m128d v1 = _mm_add_pd(interpolatePair(r, k1, _mm_unpackhi_pd(f, f)), noise1);
    _mm_storel_pd(r.newL + i, v0);
    _mm_storeh_pd(r.newR + i, v0);
    _mm_storel_pd(r.newL + i + 1, v1);
    _mm_storeh_pd(r.newR + i + 1, v1);

    i += 2;
    x = x + pairInc;  // exact: a multiple of the ulp, still inside the binade
    xs = _mm_add_pd(xs, xsInc);
  }
  if (any)
    s = static_cast<uint32_t>(
        _mm_cvtsi128_si32(_mm_shuffle_epi32(states, _MM_SHUFFLE(3, 3, 3, 3))));
  position = x;
  return i - start;
}

}  // namespace quillet::engine::stretch128

#endif
