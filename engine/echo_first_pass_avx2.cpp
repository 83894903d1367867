// The first pass in 256-bit vectors, on the 128-bit pass's filter lanes
// (stereo_lanes.h) and its routing of a single frame (echo_pass.h). Every
// value is formed by the same operations in the same order as in the
// 128-bit pass, lane by lane, so the results are identical; only the
// grouping differs:
//   - the shelf and the low-pass of both channels step as one four-lane
//     biquad, the low-pass three frames behind the shelf, so that each step
//     waits only on its own previous outputs and not on the shelf's latest;
//   - the five control smoothers glide together in one eight-lane vector;
//   - routing and mix then run two frames per vector, a chunk's odd last
//     frame through the 128-bit routing.
#include "engine/echo_engine.h"
#include "engine/echo_pass.h"

#ifdef QUILLET_WIDE_VECTORS

#include <immintrin.h>

// Helpers are forced inline: a call between them would pass vectors through
// memory and leave the upper register halves dirty for the erf calls.
#define QUILLET_AVX2 __attribute__((target("avx2")))
#define QUILLET_AVX2_INLINE inline __attribute__((target("avx2"), always_inline))

namespace quillet::engine {
namespace {

constexpr int32_t kLag = 3;  // frames the low-pass runs behind the shelf

// Shelf (lanes 0, 1) and low-pass (lanes 2, 3) as one biquad; the same sums
// in the same order as Biquad::step.
struct ShelfLowPassQuad {
  __m256d b0, b1, b2, a1, a2, x1, x2, y1, y2;

  static QUILLET_AVX2_INLINE __m256d join(__m128d low, __m128d high) {
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(low), high, 1);
  }

  QUILLET_AVX2_INLINE ShelfLowPassQuad(const BiquadLanes& s, const BiquadLanes& l)
      : b0(join(s.b0, l.b0)),
        b1(join(s.b1, l.b1)),
        b2(join(s.b2, l.b2)),
        a1(join(s.a1, l.a1)),
        a2(join(s.a2, l.a2)),
        x1(join(s.x1, l.x1)),
        x2(join(s.x2, l.x2)),
        y1(join(s.y1, l.y1)),
        y2(join(s.y2, l.y2)) {}

  QUILLET_AVX2_INLINE __m256d step(__m256d x) {
    const __m256d forward = _mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(b1, x1), _mm256_mul_pd(b0, x)), _mm256_mul_pd(b2, x2));
    const __m256d y =
        _mm256_sub_pd(_mm256_sub_pd(forward, _mm256_mul_pd(a1, y1)), _mm256_mul_pd(a2, y2));
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }

  QUILLET_AVX2_INLINE void storeShelf(BiquadLanes& s) const {
    s.x1 = _mm256_castpd256_pd128(x1);
    s.x2 = _mm256_castpd256_pd128(x2);
    s.y1 = _mm256_castpd256_pd128(y1);
    s.y2 = _mm256_castpd256_pd128(y2);
  }

  QUILLET_AVX2_INLINE void storeLowPass(BiquadLanes& l) const {
    l.x1 = _mm256_extractf128_pd(x1, 1);
    l.x2 = _mm256_extractf128_pd(x2, 1);
    l.y1 = _mm256_extractf128_pd(y1, 1);
    l.y2 = _mm256_extractf128_pd(y2, 1);
  }
};

// The five smoothers side by side, in lanes 0-4 in the order given (feedback,
// level, dry, pan, cross-feed; lanes 5-7 stay settled at 0): each lane steps
// as ParamSmoother::step, and a settled lane returns its target and keeps its
// current value (settledness does not change within a block).
struct SmootherBank {
  __m256 current, target, coefficient, settled;
  ParamSmoother* const* source;

  QUILLET_AVX2_INLINE explicit SmootherBank(ParamSmoother* const* smoothers) : source(smoothers) {
    alignas(32) float c[8] = {}, t[8] = {}, k[8] = {};
    alignas(32) int32_t s[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    for (int n = 0; n < 5; ++n) {
      c[n] = smoothers[n]->current;
      t[n] = smoothers[n]->target;
      k[n] = smoothers[n]->coefficient;
      s[n] = smoothers[n]->settled ? -1 : 0;
    }
    current = _mm256_load_ps(c);
    target = _mm256_load_ps(t);
    coefficient = _mm256_load_ps(k);
    settled = _mm256_castsi256_ps(_mm256_load_si256(reinterpret_cast<const __m256i*>(s)));
  }

  // One frame: (feedback, level, dry, pan) widened into gains, the cross-feed
  // twice into xFeed.
  QUILLET_AVX2_INLINE void step(double* gains, double* xFeed) {
    // Settled lanes glide too, unseen: their value is the target, and their
    // current value is never stored back. So the glide's chain of dependent
    // steps is only the glide itself.
    current = _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(current, target), coefficient), target);
    const __m256 value = _mm256_blendv_ps(current, target, settled);
    _mm256_store_pd(gains, _mm256_cvtps_pd(_mm256_castps256_ps128(value)));
    const __m128d x = _mm_cvtss_sd(_mm_setzero_pd(), _mm256_extractf128_ps(value, 1));
    _mm_store_pd(xFeed, _mm_unpacklo_pd(x, x));
  }

  QUILLET_AVX2_INLINE void storeCurrent() const {
    alignas(32) float c[8];
    _mm256_store_ps(c, current);
    for (int n = 0; n < 5; ++n) {
      if (!source[n]->settled) source[n]->current = c[n];
    }
  }
};

// Two frames of input as (left, right, left, right) doubles; the mono path
// reads no right channel.
template <bool kMono>
QUILLET_AVX2_INLINE __m256d loadInputPair(const float* l, const float* r) {
  const __m128 left = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(l)));
  const __m128 right = kMono
                           ? _mm_setzero_ps()
                           : _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r)));
  return _mm256_cvtps_pd(_mm_unpacklo_ps(left, right));
}

template <bool kMono>
QUILLET_AVX2_INLINE __m256d loadInputPair(const double* l, const double* r) {
  const __m128d left = _mm_loadu_pd(l);
  const __m128d right = kMono ? _mm_setzero_pd() : _mm_loadu_pd(r);
  return ShelfLowPassQuad::join(_mm_unpacklo_pd(left, right), _mm_unpackhi_pd(left, right));
}

// Writes (left, right, left, right) of two frames to the two channels.
QUILLET_AVX2_INLINE void storeOutputPair(__m256d out, float* l, float* r) {
  const __m128 f = _mm256_cvtpd_ps(out);
  const __m128 byChannel = _mm_shuffle_ps(f, f, _MM_SHUFFLE(3, 1, 2, 0));  // l0 l1 r0 r1
  _mm_storel_pi(reinterpret_cast<__m64*>(l), byChannel);
  _mm_storeh_pi(reinterpret_cast<__m64*>(r), byChannel);
}

QUILLET_AVX2_INLINE void storeOutputPair(__m256d out, double* l, double* r) {
  const __m128d first = _mm256_castpd256_pd128(out);
  const __m128d second = _mm256_extractf128_pd(out, 1);
  _mm_storeu_pd(l, _mm_unpacklo_pd(first, second));
  _mm_storeu_pd(r, _mm_unpackhi_pd(first, second));
}

// The control values of frames j and j + 1, each doubled into both lanes of
// its frame.
struct PairGains {
  __m256d feedback, level, dry, pan, xFeed;
};

QUILLET_AVX2_INLINE PairGains pairGains(const double* gains, const double* xFeed) {
  const __m256d a = _mm256_load_pd(gains);
  const __m256d b = _mm256_load_pd(gains + 4);
  const __m256d feedbackLevel = _mm256_permute2f128_pd(a, b, 0x20);
  const __m256d dryPan = _mm256_permute2f128_pd(a, b, 0x31);
  return {_mm256_unpacklo_pd(feedbackLevel, feedbackLevel),
          _mm256_unpackhi_pd(feedbackLevel, feedbackLevel), _mm256_unpacklo_pd(dryPan, dryPan),
          _mm256_unpackhi_pd(dryPan, dryPan), _mm256_load_pd(xFeed)};
}

// Routing and mix of frames i and i + 1 (filtered lines in y), as routeFrame
// does it for one.
template <int kRoute, typename Sample>
QUILLET_AVX2_INLINE void routeFramePair(const EchoPass<Sample>& c, int32_t i, __m256d y,
                                        const PairGains& g, double* arg) {
  const __m256d in = loadInputPair<kRoute == 3>(c.inL + i, c.inR + i);
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d panGains =
      _mm256_blend_pd(kRoute == 3 ? one : _mm256_sub_pd(one, g.pan), g.pan, 0xA);
  const __m256d ad = _mm256_broadcastsd_pd(c.ad);
  const __m256d swapped = _mm256_permute_pd(y, 0x5);

  __m256d e = y;
  __m256d a;
  if (kRoute == 0) {
    e = _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(swapped, y), g.xFeed), y);
    a = _mm256_add_pd(_mm256_mul_pd(e, g.feedback), in);
  } else if (kRoute == 1) {
    a = _mm256_add_pd(_mm256_mul_pd(swapped, g.feedback), _mm256_blend_pd(ad, in, 0x5));
  } else if (kRoute == 2) {
    a = _mm256_add_pd(_mm256_mul_pd(swapped, g.feedback), _mm256_blend_pd(in, ad, 0x5));
  } else {
    a = _mm256_add_pd(_mm256_mul_pd(y, g.feedback), in);
  }
  _mm256_store_pd(arg, a);

  __m256d out =
      _mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(e, g.level), panGains), _mm256_mul_pd(in, g.dry));
  if (kRoute != 3 && c.monoOut) {
    const __m256d sum = _mm256_add_pd(out, _mm256_permute_pd(out, 0x5));  // outL + outR
    out = _mm256_mul_pd(sum, _mm256_set1_pd(0.5));
  }
  storeOutputPair(out, c.outL + i, c.outR + i);
}

// Filters of one chunk of count frames from line position w: the low-pass
// outputs go to filtered, and with a glide each frame's control values to
// gains and xFeed. Chunks shorter than the lag run the three filters in turn.
template <bool kGliding>
QUILLET_AVX2_INLINE void filterChunk(const double* lineL, const double* lineR, int32_t length,
                                     int32_t w, int32_t count, __m128d ad, OnePoleLanes& hp,
                                     BiquadLanes& shelf, BiquadLanes& lp, SmootherBank& bank,
                                     double* filtered, double* gains, double* xFeed) {
  if (count < kLag) {
    for (int32_t j = 0; j < count; ++j) {
      if (kGliding) bank.step(gains + 4 * j, xFeed + 2 * j);
      const __m128d t = _mm_loadh_pd(_mm_load_sd(lineL + w), lineR + w);
      _mm_store_pd(filtered + 2 * j,
                   lp.step(_mm_add_pd(shelf.step(_mm_add_pd(hp.step(t), ad)), ad)));
      if (++w >= length) w = 0;
    }
    return;
  }

  // The shelf starts alone; its outputs wait here for the low-pass.
  __m128d waiting[kLag];
  for (int32_t j = 0; j < kLag; ++j) {
    if (kGliding) bank.step(gains + 4 * j, xFeed + 2 * j);
    const __m128d t = _mm_loadh_pd(_mm_load_sd(lineL + w), lineR + w);
    waiting[j] = shelf.step(_mm_add_pd(hp.step(t), ad));
    if (++w >= length) w = 0;
  }

  ShelfLowPassQuad quad(shelf, lp);
  const __m256d ad4 = _mm256_broadcastsd_pd(ad);
  __m128d oldest = waiting[0], middle = waiting[1], newest = waiting[2];
  for (int32_t j = kLag; j < count; ++j) {
    if (kGliding) bank.step(gains + 4 * j, xFeed + 2 * j);
    const __m128d t = _mm_loadh_pd(_mm_load_sd(lineL + w), lineR + w);
    const __m128d h = hp.step(t);
    const __m256d y = quad.step(_mm256_add_pd(ShelfLowPassQuad::join(h, oldest), ad4));
    _mm_store_pd(filtered + 2 * (j - kLag), _mm256_extractf128_pd(y, 1));
    oldest = middle;
    middle = newest;
    newest = _mm256_castpd256_pd128(y);
    if (++w >= length) w = 0;
  }

  // The low-pass catches up with the last three shelf outputs.
  quad.storeShelf(shelf);
  quad.storeLowPass(lp);
  const __m128d last[kLag] = {oldest, middle, newest};
  for (int32_t j = 0; j < kLag; ++j) {
    _mm_store_pd(filtered + 2 * (count - kLag + j), lp.step(_mm_add_pd(last[j], ad)));
  }
}

// v where it is finite, else 0 (the comparison is false for infinities and NaN).
QUILLET_AVX2_INLINE __m256d finiteOrZero(__m256d v) {
  const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFFLL));
  const __m256d largest = _mm256_set1_pd(1.7976931348623157e308);
  return _mm256_and_pd(v, _mm256_cmp_pd(_mm256_and_pd(v, magnitude), largest, _CMP_LE_OQ));
}

// writeLineChunk's stores of erf values, four frames per step where the ring
// does not wrap: each (left, right) pair split into the two lines, and every
// value that is not finite stored as 0, as lineValueOf does.
QUILLET_AVX2_INLINE int32_t storeLineChunkAvx2(double* lineL, double* lineR, int32_t w,
                                               int32_t length, const double* values,
                                               int32_t count) {
  for (int32_t j = 0; j < count;) {
    const int32_t run = count - j < length - w ? count - j : length - w;
    int32_t k = 0;
    for (; k + 4 <= run; k += 4) {
      const __m256d a = _mm256_loadu_pd(values + 2 * (j + k));      // l0 r0 l1 r1
      const __m256d b = _mm256_loadu_pd(values + 2 * (j + k) + 4);  // l2 r2 l3 r3
      const __m256d left = _mm256_permute4x64_pd(_mm256_unpacklo_pd(a, b), 0xD8);
      const __m256d right = _mm256_permute4x64_pd(_mm256_unpackhi_pd(a, b), 0xD8);
      _mm256_storeu_pd(lineL + w + k, finiteOrZero(left));
      _mm256_storeu_pd(lineR + w + k, finiteOrZero(right));
    }
    for (; k < run; ++k) {
      lineL[w + k] = lineValueOf(values[2 * (j + k)]);
      lineR[w + k] = lineValueOf(values[2 * (j + k) + 1]);
    }
    j += run;
    w += run;
    if (w >= length) w = 0;
  }
  return w;
}

// The block, chunk by chunk: filters, routing and mix, then the erf calls.
template <int kRoute, bool kGliding, typename Sample>
QUILLET_AVX2 int32_t echoBlock(const EchoPass<Sample>& c, int32_t sampleFrames, int32_t chunkLimit,
                               ErfArray vectorErf) {
  alignas(32) double filtered[2 * kMaxChunk];
  alignas(32) double gains[4 * kMaxChunk];
  alignas(32) double xFeed[2 * kMaxChunk];
  alignas(32) double args[2 * kMaxChunk];
  ParamSmoother* const smoothers[5] = {c.feedback, c.level, c.dry, c.pan, c.xFeed};
  SmootherBank bank(smoothers);
  OnePoleLanes hp = *c.hp;
  BiquadLanes shelf = *c.shelf;
  BiquadLanes lp = *c.lp;

  // Without a glide every smoother returns its steady value.
  PairGains held{};
  double heldFrame[5] = {};
  if (!kGliding) {
    alignas(32) double t[8];
    for (int n = 0; n < 4; ++n) t[n] = t[n + 4] = static_cast<double>(smoothers[n]->steadyValue());
    const double cross = static_cast<double>(c.xFeed->steadyValue());
    alignas(32) const double x[4] = {cross, cross, cross, cross};
    held = pairGains(t, x);
    for (int n = 0; n < 4; ++n) heldFrame[n] = t[n];
    heldFrame[4] = cross;
  }

  int32_t w = c.pos;
  for (int32_t start = 0; start < sampleFrames;) {
    const int32_t count = sampleFrames - start < chunkLimit ? sampleFrames - start : chunkLimit;
    filterChunk<kGliding>(c.lineL, c.lineR, c.length, w, count, c.ad, hp, shelf, lp, bank, filtered,
                          gains, xFeed);
    int32_t j = 0;
    for (; j + 1 < count; j += 2) {
      const PairGains g = kGliding ? pairGains(gains + 4 * j, xFeed + 2 * j) : held;
      routeFramePair<kRoute>(c, start + j, _mm256_load_pd(filtered + 2 * j), g, args + 2 * j);
    }
    if (j < count) {
      const double* g = kGliding ? gains + 4 * j : heldFrame;
      const double x = kGliding ? xFeed[2 * j] : heldFrame[4];
      routeFrame<kRoute>(c, start + j, _mm_load_pd(filtered + 2 * j), g[0], g[1], g[2], g[3], x,
                         args + 2 * j);
    }
    if (vectorErf) {
      vectorErf(args, args, 2 * count);
      w = storeLineChunkAvx2(c.lineL, c.lineR, w, c.length, args, count);
    } else {
      w = writeLineChunk(c.lineL, c.lineR, w, c.length, args, count, nullptr);
    }
    start += count;
  }

  if (kGliding) bank.storeCurrent();
  *c.hp = hp;
  *c.shelf = shelf;
  *c.lp = lp;
  return w;
}

}  // namespace

template <typename Sample>
bool echoBlockAvx2(EchoEngine& e, const Sample* const* inputs, Sample* const* outputs,
                   int32_t sampleFrames, int mode, bool monoOut, int32_t chunkLimit,
                   ErfArray vectorErf) {
  if (chunkLimit < 1 || chunkLimit > kMaxChunk || !processorHasAvx2()) return false;
  OnePoleLanes hp(e.hpL, e.hpR);
  BiquadLanes shelf(e.shelfL, e.shelfR);
  BiquadLanes lp(e.lpL, e.lpR);
  const EchoPass<Sample> c{inputs[0],
                           inputs[1],
                           outputs[0],
                           outputs[1],
                           e.delayL.get(),
                           e.delayR.get(),
                           e.delayLength,
                           e.writePos,
                           monoOut,
                           DoublePair{e.antiDenormal, e.antiDenormal},
                           &hp,
                           &shelf,
                           &lp,
                           &e.feedback,
                           &e.level,
                           &e.dry,
                           &e.pan,
                           &e.xFeed};
  e.writePos = withRouting(mode, c.gliding(), [&](auto route, auto gliding) {
    return echoBlock<decltype(route)::value, decltype(gliding)::value>(c, sampleFrames, chunkLimit,
                                                                       vectorErf);
  });
  hp.storeState(e.hpL, e.hpR);
  shelf.storeState(e.shelfL, e.shelfR);
  lp.storeState(e.lpL, e.lpR);
  return true;
}

}  // namespace quillet::engine

#else

namespace quillet::engine {

template <typename Sample>
bool echoBlockAvx2(EchoEngine&, const Sample* const*, Sample* const*, int32_t, int, bool, int32_t,
                   ErfArray) {
  return false;
}

}  // namespace quillet::engine

#endif

namespace quillet::engine {

template bool echoBlockAvx2(EchoEngine&, const float* const*, float* const*, int32_t, int, bool,
                            int32_t, ErfArray);
template bool echoBlockAvx2(EchoEngine&, const double* const*, double* const*, int32_t, int, bool,
                            int32_t, ErfArray);

}  // namespace quillet::engine
