// The fast stretch. Two observations make it exact and quick:
//
// - The read position x = x + step is a chain of rounded additions. While x
//   stays within one binade [2^e, 2^(e+1)), every sum rounds to a multiple of
//   ulp = 2^(e-52), so each addition adds the same amount: step rounded to a
//   multiple of ulp (unless step sits exactly halfway between two multiples,
//   where the rounding depends on x and the loop falls back to plain adds).
//   Positions two frames apart are then x and x + stepInUlps, both exact,
//   and the chain of additions no longer sets the pace.
// - The generator's states for the four noise values of two frames come from
//   the four states before them by one jump of four steps, lane by lane.
//
// The left and right values of a frame travel as one pair of doubles; every
// operation is the scalar one in the same order, so the results are the same
// bits. Frames that read the last sample of the old ring (the ring closes),
// and frames where the binade changes, take the plain scalar step.
#include "engine/line_stretch.h"

#include <algorithm>
#include <cmath>

#include "engine/stretch_frames.h"
#include "engine/stretch_noise.h"
#include "engine/stretch_spans.h"

#if defined(QUILLET_PORTABLE_ENGINE)
#include "engine/stretch_pairs.h"
#elif defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILLET_STRETCH_SSE2 1
#endif
#include "engine/stretch_lanes_avx2.h"
#include "engine/stretch_noise_lanes.h"

namespace {

// One plain step: interpolation with the ring's closing, noise, advance.
inline void scalarFrame(const StretchRings& r, int32_t i, double x, uint32_t& s) {
  int32_t k = static_cast<int32_t>(x);
  if (k > r.oldLength - 1) k = r.oldLength - 1;  // never taken: x stays below oldLength
  const double f = x - k;
  // The ring closes: the last old sample leads to the first.
  const bool closes = k >= r.oldLength - 1;
  const double nextL = closes ? r.oldL[0] : r.oldL[k + 1];
  const double nextR = closes ? r.oldR[0] : r.oldR[k + 1];
  const double left = (nextL - r.oldL[k]) * f + r.oldL[k];
  const double right = (nextR - r.oldR[k]) * f + r.oldR[k];
  s = nextNoiseState(s);
  r.newL[i] = left + stretchNoise(s);
  s = nextNoiseState(s);
  r.newR[i] = right + stretchNoise(s);
}

#ifdef QUILLET_STRETCH_SSE2

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

// Frames i, i+1, ... while both frames of each pair stay inside one binade of
// x and read below the last old sample. x advances by `inc` per frame, which
// equals the rounded addition there. Returns the number of frames written.
int32_t fastRunSse2(const StretchRings& r, int32_t i, double& position, double inc, double limit,
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

#ifdef QUILLET_WIDE_VECTORS
// Sixteen steps: the two states of eight frames.
constexpr uint32_t kJump16Mul = noiseJump(16).mul;
constexpr uint32_t kJump16Add = noiseJump(16).add;
constexpr NoiseJump kJump16Back = jumpBack(noiseJump(16));

// How many of at most `most` groups of eight frames from position x on run
// below limit: group g runs while x + (g + 1) * octInc < limit, and that sum
// is exact below the binade's top (at or above it, so is its rounding).
// Counted up front, so that no scalar position chain runs beside the vectors.
int32_t groupsBelowLimit(double x, double octInc, double limit, int32_t most) {
  const double room = (limit - x) / octInc;  // positive: x is below limit
  int32_t groups = room < static_cast<double>(most) ? static_cast<int32_t>(room) : most;
  while (groups > 0 && !(x + static_cast<double>(groups) * octInc < limit)) --groups;
  while (groups < most && x + static_cast<double>(groups + 1) * octInc < limit) ++groups;
  return groups;
}

// As fastRunSse2, eight frames at a time (stretch_lanes_avx2.h), each of the
// sixteen generator states jumping sixteen steps per group.
__attribute__((target("avx2"))) int32_t fastRunAvx2(const StretchRings& r, int32_t i,
                                                    double& position, double inc, double limit,
                                                    uint32_t& s) {
  // A local copy: the stores into the new ring could alias the caller's x, which
  // would otherwise make every addition go through memory.
  double x = position;
  const int32_t start = i;
  alignas(32) uint32_t stL[8];
  alignas(32) uint32_t stR[8];
  eightFrameStates(s, noiseJump(0), kNoiseLaneOfFrame, stL, stR);
  __m256i statesL = _mm256_load_si256(reinterpret_cast<const __m256i*>(stL));
  __m256i statesR = _mm256_load_si256(reinterpret_cast<const __m256i*>(stR));
  const __m256i jumpMul = _mm256_set1_epi32(static_cast<int>(kJump16Mul));
  const __m256i jumpAdd = _mm256_set1_epi32(static_cast<int>(kJump16Add));
  const double octInc = 8.0 * inc;
  const int32_t groups = groupsBelowLimit(x, octInc, limit, (r.newLength - i) / 8);
  // Locals: the stores could alias r, which would reload these every group.
  const double* oldL = r.oldL;
  const double* oldR = r.oldR;
  double* newL = r.newL + i;
  double* newR = r.newR + i;

  const __m256d incs = _mm256_set1_pd(inc);
  const __m256d lanes0 = _mm256_mul_pd(incs, _mm256_set_pd(3, 2, 1, 0));  // exact
  const __m256d lanes1 = _mm256_mul_pd(incs, _mm256_set_pd(7, 6, 5, 4));
  if (!runsWorthFinding(x, inc)) {
    // Each group tests its pairs. Positions x + (8 g + j) * inc, each exact.
    __m256d xs0 = _mm256_add_pd(_mm256_set1_pd(x), lanes0);
    __m256d xs1 = _mm256_add_pd(_mm256_set1_pd(x), lanes1);
    const __m256d xsInc = _mm256_set1_pd(octInc);
    for (int32_t g = 0; g < groups; ++g) {
      eightFramesAvx2(oldL, oldR, newL + 8 * g, newR + 8 * g, xs0, xs1, statesL, statesR);
      xs0 = _mm256_add_pd(xs0, xsInc);
      xs1 = _mm256_add_pd(xs1, xsInc);
      statesL = stepNoiseLanesAvx2(statesL, jumpMul, jumpAdd);
      statesR = stepNoiseLanesAvx2(statesR, jumpMul, jumpAdd);
    }
  } else {
    // Runs of groups that read consecutive pairs go without the test; each
    // group between them takes it.
    groupsByRunsAvx2<1>(oldL, oldR, newL, newR, x, inc, groups, statesL, statesR, jumpMul, jumpAdd);
  }
  // The right sample of the last frame written: lane 7, one jump back.
  if (groups > 0) {
    s = static_cast<uint32_t>(_mm256_extract_epi32(statesR, 7)) * kJump16Back.mul + kJump16Back.add;
  }
  i += 8 * groups;
  x = x + static_cast<double>(groups) * octInc;  // exact, as each group's start
  position = x;
  return i - start;
}

// As fastRunAvx2 on AVX-512: the generator states of the left and of the
// right samples in two vectors of eight 64-bit lanes.

__attribute__((target("avx512f,avx512dq"))) int32_t fastRunAvx512(const StretchRings& r, int32_t i,
                                                                  double& position, double inc,
                                                                  double limit, uint32_t& s) {
  // A local copy: the stores into the new ring could alias the caller's x, which
  // would otherwise make every addition go through memory.
  double x = position;
  const int32_t start = i;
  alignas(64) uint64_t stL[8];
  alignas(64) uint64_t stR[8];
  eightFrameStates(s, noiseJump(0), kFrameOrder, stL, stR);
  __m512i statesL = _mm512_load_si512(stL);
  __m512i statesR = _mm512_load_si512(stR);
  const __m512i jumpMul = _mm512_set1_epi64(kJump16Mul);
  const __m512i jumpAdd = _mm512_set1_epi64(kJump16Add);
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
  alignas(64) int64_t k[8];

  // With a step below 1.875 the eight frames of an iteration read at most 16
  // consecutive old samples; the window then has to end inside the ring.
  const bool window = inc < 1.875;
  const double windowLimit = static_cast<double>(r.oldLength) - 18.0;
  if (window && runsWorthFinding(x, inc)) {
    // Runs of groups that read consecutive pairs go without the per-group
    // test; each group between them takes it. Each group also starts below
    // the window's limit.
    int32_t groups = groupsBelowLimit(x, octInc, limit, (newLength - i) / 8);
    while (groups > 0 && !(x + static_cast<double>(groups - 1) * octInc < windowLimit)) --groups;
    groupsByRunsAvx512<1>(oldL, oldR, newL + i, newR + i, x, inc, groups, statesL, statesR, jumpMul,
                          jumpAdd);
    // The right sample of the last frame written: lane 7, one jump back.
    if (groups > 0) s = lastLaneState(statesR) * kJump16Back.mul + kJump16Back.add;
    i += 8 * groups;
    position = x + static_cast<double>(groups) * octInc;  // exact, as each group's start
    return i - start;
  }
  while (i + 8 <= newLength && x + octInc < limit && (!window || x < windowLimit)) {
    if (window) {
      // All eight frames read within old[k0 .. k0 + 15]: two vector loads per
      // line, and each frame's a and b picked out of them by index.
      eightFramesAvx512(oldL, oldR, newL + i, newR + i, xs, statesL, statesR);
    } else {
      const __m512i kv = _mm512_cvttpd_epi64(xs);
      const __m512d f = _mm512_sub_pd(xs, _mm512_cvtepi64_pd(kv));
      _mm512_store_si512(k, kv);
      __m512d aL, bL, aR, bR;
      // Pairs (old[k], old[k + 1]) of frames 0, 2, 4, 6 and of 1, 3, 5, 7,
      // then split into the a and b vectors in frame order.
      __m512d even = _mm512_castpd128_pd512(_mm_loadu_pd(oldL + k[0]));
      even = _mm512_insertf64x2(even, _mm_loadu_pd(oldL + k[2]), 1);
      even = _mm512_insertf64x2(even, _mm_loadu_pd(oldL + k[4]), 2);
      even = _mm512_insertf64x2(even, _mm_loadu_pd(oldL + k[6]), 3);
      __m512d odd = _mm512_castpd128_pd512(_mm_loadu_pd(oldL + k[1]));
      odd = _mm512_insertf64x2(odd, _mm_loadu_pd(oldL + k[3]), 1);
      odd = _mm512_insertf64x2(odd, _mm_loadu_pd(oldL + k[5]), 2);
      odd = _mm512_insertf64x2(odd, _mm_loadu_pd(oldL + k[7]), 3);
      aL = _mm512_unpacklo_pd(even, odd);
      bL = _mm512_unpackhi_pd(even, odd);
      even = _mm512_castpd128_pd512(_mm_loadu_pd(oldR + k[0]));
      even = _mm512_insertf64x2(even, _mm_loadu_pd(oldR + k[2]), 1);
      even = _mm512_insertf64x2(even, _mm_loadu_pd(oldR + k[4]), 2);
      even = _mm512_insertf64x2(even, _mm_loadu_pd(oldR + k[6]), 3);
      odd = _mm512_castpd128_pd512(_mm_loadu_pd(oldR + k[1]));
      odd = _mm512_insertf64x2(odd, _mm_loadu_pd(oldR + k[3]), 1);
      odd = _mm512_insertf64x2(odd, _mm_loadu_pd(oldR + k[5]), 2);
      odd = _mm512_insertf64x2(odd, _mm_loadu_pd(oldR + k[7]), 3);
      aR = _mm512_unpacklo_pd(even, odd);
      bR = _mm512_unpackhi_pd(even, odd);
      _mm512_storeu_pd(newL + i, newSamples({aL, bL}, f, noiseLanes(statesL)));
      _mm512_storeu_pd(newR + i, newSamples({aR, bR}, f, noiseLanes(statesR)));
    }

    i += 8;
    x = x + octInc;  // exact: a multiple of the ulp, still inside the binade
    xs = _mm512_add_pd(xs, xsInc);
    statesL = stepNoiseLanes(statesL, jumpMul, jumpAdd);
    statesR = stepNoiseLanes(statesR, jumpMul, jumpAdd);
  }
  // The right sample of the last frame written: lane 7, one jump back.
  if (i > start) s = lastLaneState(statesR) * kJump16Back.mul + kJump16Back.add;
  position = x;
  return i - start;
}
#endif

#endif

}  // namespace

// The amount every rounded addition of step adds while x stays in its binade,
// or 0 where that is not a fixed amount (step smaller than one ulp, or x odd
// with step halfway between two multiples of the ulp). Sets top to the
// binade's upper end.
double roundedIncrement(double x, double step, double& top) {
  int e = 0;
  std::frexp(x, &e);  // x in [2^(e-1), 2^e)
  top = std::ldexp(1.0, e);
  const double ulp = std::ldexp(1.0, e - 53);
  const double next = x + step;
  if (!(next < top)) return 0.0;
  const double inc = next - x;  // exact: both are multiples of ulp below top
  if (!(inc > 0.0)) return 0.0;
  const double rest = step - inc;  // exact: inc and step are within ulp / 2
  if (rest == 0.5 * ulp || rest == -0.5 * ulp) {
    // Every sum is a tie and rounds to the neighbour with an even last bit.
    // From an even x that neighbour is always the same distance away, and x
    // stays even; from an odd x one plain step first makes it even.
    return std::fmod(x, 2.0 * ulp) == 0.0 ? inc : 0.0;
  }
  return inc;
}

void stretchFrames(const StretchRings& r, int32_t& i, double& x, uint32_t& s, double step,
                   VectorPath widest) {
  const double lastK = static_cast<double>(r.oldLength - 1);
  while (i < r.newLength) {
#if defined(QUILLET_STRETCH_SSE2) || defined(QUILLET_PORTABLE_ENGINE)
    if (x > 0.0 && x < lastK) {
      double top = 0.0;
      const double inc = roundedIncrement(x, step, top);
      if (inc > 0.0) {
        const double limit = top < lastK ? top : lastK;
#ifdef QUILLET_WIDE_VECTORS
        if (widest >= VectorPath::kAvx512 && processorHasAvx512()) {
          i += fastRunAvx512(r, i, x, inc, limit, s);
        }
        if (widest >= VectorPath::kAvx2 && processorHasAvx2())
          i += fastRunAvx2(r, i, x, inc, limit, s);
#endif
#ifdef QUILLET_STRETCH_SSE2
        if (widest >= VectorPath::kSse2) i += fastRunSse2(r, i, x, inc, limit, s);
#else
        if (widest >= VectorPath::kSse2) i += stretchpairs::fastRun(r, i, x, inc, limit, s);
#endif
        if (i >= r.newLength) break;
      }
    }
#else
    (void)widest;
#endif
    scalarFrame(r, i, x, s);
    x = x + step;
    ++i;
  }
}

void stretchRingsUpTo(const StretchRings& r, uint32_t seed, VectorPath widest) {
  const double step = static_cast<double>(r.oldLength) / r.newLength;
  double x = 0.0;
  uint32_t s = seed;
  int32_t i = 0;
  stretchFrames(r, i, x, s, step, widest);
}

#ifdef QUILLET_WIDE_VECTORS
namespace {

// Frames 0 .. 8 * groups - 1 of an empty rings' stretch from the generator
// state s on, eight at a time.
__attribute__((target("avx2"))) void emptyGroupsAvx2(double* lineL, double* lineR, int32_t groups,
                                                     uint32_t s) {
  alignas(32) uint32_t stL[8];
  alignas(32) uint32_t stR[8];
  eightFrameStates(s, noiseJump(0), kNoiseLaneOfFrame, stL, stR);
  __m256i statesL = _mm256_load_si256(reinterpret_cast<const __m256i*>(stL));
  __m256i statesR = _mm256_load_si256(reinterpret_cast<const __m256i*>(stR));
  const __m256i mul = _mm256_set1_epi32(static_cast<int>(kJump16Mul));
  const __m256i add = _mm256_set1_epi32(static_cast<int>(kJump16Add));
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

}  // namespace
#endif

namespace {

// Frames from .. to - 1 of an empty rings' stretch, from the generator state
// s on; leaves s where the next frame starts.
void emptyFrames(double* lineL, double* lineR, int32_t from, int32_t to, uint32_t& s,
                 VectorPath widest) {
  int32_t i = from;
#ifdef QUILLET_WIDE_VECTORS
  if (widest >= VectorPath::kAvx2 && processorHasAvx2() && to - i >= 8) {
    const int32_t groups = (to - i) / 8;
    emptyGroupsAvx2(lineL + i, lineR + i, groups, s);
    i += 8 * groups;
    const NoiseJump done = noiseJump(16 * groups);  // two steps per frame
    s = s * done.mul + done.add;
  }
#else
  (void)widest;
#endif
  for (; i < to; ++i) {
    s = nextNoiseState(s);
    lineL[i] = stretchNoise(s);
    s = nextNoiseState(s);
    lineR[i] = stretchNoise(s);
  }
}

// The read position after `frames` rounded additions of step to 0: the
// plain chain x = x + step, taken a whole segment at a time where every
// addition in it adds the same amount (roundedIncrement).
double chainPosition(double step, int32_t frames) {
  double x = 0.0;
  for (int32_t done = 0; done < frames;) {
    double top = 0.0;
    const double inc = x > 0.0 ? roundedIncrement(x, step, top) : 0.0;
    int32_t m = 0;
    if (inc > 0.0) {
      // The next m sums sit at x + j * inc, each exact below top.
      const double room = (top - x) / inc;
      const int32_t left = frames - done;
      m = room < static_cast<double>(left) ? static_cast<int32_t>(room) : left;
      while (m > 0 && !(x + static_cast<double>(m) * inc < top)) --m;
    }
    if (m > 0) {
      x = x + static_cast<double>(m) * inc;
      done += m;
    } else {
      x = x + step;
      ++done;
    }
  }
  return x;
}

}  // namespace

void stretchEmptyRings(double* lineL, double* lineR, int32_t newLength, uint32_t seed,
                       VectorPath widest) {
  uint32_t s = seed;
  emptyFrames(lineL, lineR, 0, newLength, s, widest);
}

void StretchMaker::begin(const StretchRings& r, uint32_t seedValue, int32_t first, bool empty) {
  rings = r;
  step = static_cast<double>(r.oldLength) / r.newLength;
  seed = seedValue;
  emptyOld = empty;
  frame = first;
  x = empty ? 0.0 : chainPosition(step, first);    // an empty stretch reads no position
  const NoiseJump skipped = noiseJump(2 * first);  // two steps per frame
  state = seed * skipped.mul + skipped.add;
  madeFrames = 0;
}

int32_t StretchMaker::makeRun(int32_t most, VectorPath widest) {
  const int32_t left = rings.newLength - madeFrames;
  const int32_t toEnd = rings.newLength - frame;
  const int32_t count = std::min(most, std::min(left, toEnd));
  if (count <= 0) return 0;
  const int32_t end = frame + count;
  if (emptyOld) {
    emptyFrames(rings.newL, rings.newR, frame, end, state, widest);
    frame = end;
  } else {
    StretchRings run = rings;
    run.newLength = end;
    stretchFrames(run, frame, x, state, step, widest);
  }
  madeFrames += count;
  if (frame >= rings.newLength) {  // the ring's end: on from frame 0
    frame = 0;
    x = 0.0;
    state = seed;
  }
  return count;
}

void stretchRings(const StretchRings& rings, uint32_t seed) {
  stretchRingsUpTo(rings, seed, VectorPath::kAvx512);
}
