// The AVX-512 runs of the stretch, eight frames at once: the noise of eight
// generator states and the pairs of old samples the frames read
// (include after <immintrin.h>). Each state sits in the low half of a 64-bit
// lane; the upper half is never read: the product that steps the generator
// takes the low halves only, and the noise takes state bits 9..31.
#pragma once

#include <cstdint>

#ifdef QUILLET_WIDE_VECTORS

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

#endif
