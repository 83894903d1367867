// The echo block in NEON. Every value is formed by the same operations in
// the same order as in the 128-bit loop of echo_process.cpp, lane by lane,
// so the results are identical; what differs is the shape of the loop, which
// is what a small ARM core pays for:
//   - two frames a step, their inputs and outputs loaded, converted and
//     stored as pairs (one frame's left and right in a register for the
//     filters and the routing, as there);
//   - products by a control value take it from a lane (FMUL by element)
//     instead of a register filled with it;
//   - a glide's five smoothers step side by side in two float registers;
//   - "Mono Out" is a branch per block, not per frame, and the ring's end is
//     a branch per run of frames, not per frame;
//   - the lines take the erf results two frames a step, each value not
//     finite stored as 0 (lineValueOf).
#include "engine/echo_block_neon.h"

#include "engine/echo_chunk.h"
#include "engine/echo_engine.h"

#if defined(QUILLET_NEON_ENGINE)

#include <arm_neon.h>

namespace quillet::engine {
namespace {

using F = float64x2_t;

#define QUILLET_NEON_INLINE inline __attribute__((always_inline))

QUILLET_NEON_INLINE F pair(double left, double right) { return F{left, right}; }

struct OnePoleNeon {
  F b0, b1, a1, x1, y1;
  OnePoleNeon(const OnePoleFilter& l, const OnePoleFilter& r)
      : b0(pair(l.b0, r.b0)),
        b1(pair(l.b1, r.b1)),
        a1(pair(l.a1, r.a1)),
        x1(pair(l.x1, r.x1)),
        y1(pair(l.y1, r.y1)) {}
  QUILLET_NEON_INLINE F step(F x) {
    const F y = vsubq_f64(vaddq_f64(vmulq_f64(b0, x), vmulq_f64(b1, x1)), vmulq_f64(a1, y1));
    x1 = x;
    y1 = y;
    return y;
  }
  void store(OnePoleFilter& l, OnePoleFilter& r) const {
    l.x1 = vgetq_lane_f64(x1, 0);
    r.x1 = vgetq_lane_f64(x1, 1);
    l.y1 = vgetq_lane_f64(y1, 0);
    r.y1 = vgetq_lane_f64(y1, 1);
  }
};

struct BiquadNeon {
  F b0, b1, b2, a1, a2, x1, x2, y1, y2;
  BiquadNeon(const Biquad& l, const Biquad& r)
      : b0(pair(l.b0, r.b0)),
        b1(pair(l.b1, r.b1)),
        b2(pair(l.b2, r.b2)),
        a1(pair(l.a1, r.a1)),
        a2(pair(l.a2, r.a2)),
        x1(pair(l.x1, r.x1)),
        x2(pair(l.x2, r.x2)),
        y1(pair(l.y1, r.y1)),
        y2(pair(l.y2, r.y2)) {}
  // b1·x1 + b0·x + b2·x2 − a1·y1 − a2·y2, summed in this order.
  QUILLET_NEON_INLINE F step(F x) {
    const F forward = vaddq_f64(vaddq_f64(vmulq_f64(b1, x1), vmulq_f64(b0, x)), vmulq_f64(b2, x2));
    const F y = vsubq_f64(vsubq_f64(forward, vmulq_f64(a1, y1)), vmulq_f64(a2, y2));
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
  void store(Biquad& l, Biquad& r) const {
    l.x1 = vgetq_lane_f64(x1, 0);
    r.x1 = vgetq_lane_f64(x1, 1);
    l.x2 = vgetq_lane_f64(x2, 0);
    r.x2 = vgetq_lane_f64(x2, 1);
    l.y1 = vgetq_lane_f64(y1, 0);
    r.y1 = vgetq_lane_f64(y1, 1);
    l.y2 = vgetq_lane_f64(y2, 0);
    r.y2 = vgetq_lane_f64(y2, 1);
  }
};

// The control values of one frame, widened to 64 bits: (feedback, level),
// (dry, pan), (cross-feed, -), and the pan gains (1 − pan, pan).
struct Gains {
  F feedbackLevel, dryPan, xFeed, panGains;
};

template <int kRoute>
QUILLET_NEON_INLINE Gains gainsOf(F feedbackLevel, F dryPan, F xFeed) {
  const double p = vgetq_lane_f64(dryPan, 1);
  return {feedbackLevel, dryPan, xFeed, pair(kRoute == 3 ? 1.0 : 1.0 - p, p)};
}

// The five smoothers side by side: (feedback, level, dry, pan) and
// (cross-feed, three settled lanes). Each lane steps as ParamSmoother::step;
// a settled lane gives its target and its current value is never stored back.
struct SmootherBank {
  float32x4_t current[2], target[2], coefficient[2];
  uint32x4_t settled[2];
  ParamSmoother* const* source;

  explicit SmootherBank(ParamSmoother* const* smoothers) : source(smoothers) {
    float c[8] = {}, t[8] = {}, k[8] = {};
    uint32_t s[8] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    for (int n = 0; n < 5; ++n) {
      c[n] = smoothers[n]->current;
      t[n] = smoothers[n]->target;
      k[n] = smoothers[n]->coefficient;
      s[n] = smoothers[n]->settled ? ~0u : 0u;
    }
    for (int h = 0; h < 2; ++h) {
      current[h] = vld1q_f32(c + 4 * h);
      target[h] = vld1q_f32(t + 4 * h);
      coefficient[h] = vld1q_f32(k + 4 * h);
      settled[h] = vld1q_u32(s + 4 * h);
    }
  }

  template <int kRoute>
  QUILLET_NEON_INLINE Gains step() {
    float32x4_t value[2];
    for (int h = 0; h < 2; ++h) {
      current[h] =
          vaddq_f32(vmulq_f32(vsubq_f32(current[h], target[h]), coefficient[h]), target[h]);
      value[h] = vbslq_f32(settled[h], target[h], current[h]);
    }
    return gainsOf<kRoute>(vcvt_f64_f32(vget_low_f32(value[0])), vcvt_high_f64_f32(value[0]),
                           vcvt_f64_f32(vget_low_f32(value[1])));
  }

  void storeCurrent() const {
    float c[8];
    vst1q_f32(c, current[0]);
    vst1q_f32(c + 4, current[1]);
    for (int n = 0; n < 5; ++n)
      if (!source[n]->settled) source[n]->current = c[n];
  }
};

// Routing and mix of one frame whose filtered pair is y and input pair `in`:
// returns its two erf arguments, and its output pair in *out.
template <int kRoute>
QUILLET_NEON_INLINE F routeFrame(F y, F in, F ad, const Gains& g, F* out) {
  const F swapped = vextq_f64(y, y, 1);  // (yR, yL)
  F e = y;
  F a;
  if (kRoute == 0) {
    e = vaddq_f64(vmulq_laneq_f64(vsubq_f64(swapped, y), g.xFeed, 0), y);
    a = vaddq_f64(vmulq_laneq_f64(e, g.feedbackLevel, 0), in);
  } else if (kRoute == 1) {
    a = vaddq_f64(vmulq_laneq_f64(swapped, g.feedbackLevel, 0), vcopyq_laneq_f64(in, 1, ad, 1));
  } else if (kRoute == 2) {
    a = vaddq_f64(vmulq_laneq_f64(swapped, g.feedbackLevel, 0), vcopyq_laneq_f64(in, 0, ad, 0));
  } else {
    a = vaddq_f64(vmulq_laneq_f64(y, g.feedbackLevel, 0), in);
  }
  *out = vaddq_f64(vmulq_f64(vmulq_laneq_f64(e, g.feedbackLevel, 1), g.panGains),
                   vmulq_laneq_f64(in, g.dryPan, 0));
  return a;
}

// Inputs of frames i and i + 1 as two (left, right) pairs; the mono path
// reads no right channel.
template <bool kMono>
QUILLET_NEON_INLINE void loadTwo(const float* l, const float* r, F* first, F* second) {
  const F left = vcvt_f64_f32(vld1_f32(l));
  const F right = kMono ? vdupq_n_f64(0.0) : vcvt_f64_f32(vld1_f32(r));
  *first = vzip1q_f64(left, right);
  *second = vzip2q_f64(left, right);
}

template <bool kMono>
QUILLET_NEON_INLINE void loadTwo(const double* l, const double* r, F* first, F* second) {
  const F left = vld1q_f64(l);
  const F right = kMono ? vdupq_n_f64(0.0) : vld1q_f64(r);
  *first = vzip1q_f64(left, right);
  *second = vzip2q_f64(left, right);
}

template <bool kMono, typename Sample>
QUILLET_NEON_INLINE F loadOne(const Sample* l, const Sample* r) {
  return pair(static_cast<double>(*l), kMono ? 0.0 : static_cast<double>(*r));
}

// Outputs of two frames: their left values to one channel, their right
// values to the other, or with "Mono Out" (outR + outL) / 2 to both.
template <bool kMonoOut>
QUILLET_NEON_INLINE void pairsByChannel(F first, F second, F* left, F* right) {
  *left = vuzp1q_f64(first, second);
  *right = vuzp2q_f64(first, second);
  if (kMonoOut) *left = *right = vmulq_f64(vaddq_f64(*right, *left), vdupq_n_f64(0.5));
}

template <bool kMonoOut>
QUILLET_NEON_INLINE void storeTwo(F first, F second, float* l, float* r) {
  F left, right;
  pairsByChannel<kMonoOut>(first, second, &left, &right);
  vst1_f32(l, vcvt_f32_f64(left));
  vst1_f32(r, vcvt_f32_f64(right));
}

template <bool kMonoOut>
QUILLET_NEON_INLINE void storeTwo(F first, F second, double* l, double* r) {
  F left, right;
  pairsByChannel<kMonoOut>(first, second, &left, &right);
  vst1q_f64(l, left);
  vst1q_f64(r, right);
}

template <bool kMonoOut, typename Sample>
QUILLET_NEON_INLINE void storeOne(F out, Sample* l, Sample* r) {
  if (kMonoOut) {
    const Sample mono =
        static_cast<Sample>((vgetq_lane_f64(out, 1) + vgetq_lane_f64(out, 0)) * 0.5);
    *l = mono;
    *r = mono;
  } else {
    *l = static_cast<Sample>(vgetq_lane_f64(out, 0));
    *r = static_cast<Sample>(vgetq_lane_f64(out, 1));
  }
}

// v where it is finite, else 0: v − v is 0 for every finite v, NaN for an
// infinity or a NaN.
QUILLET_NEON_INLINE F finiteOrZero(F v) {
  return vreinterpretq_f64_u64(vandq_u64(vceqzq_f64(vsubq_f64(v, v)), vreinterpretq_u64_f64(v)));
}

// writeLineChunk's stores of erf values, two frames a step where the ring
// does not wrap: each (left, right) pair split into the two lines, and each
// value that is not finite stored as 0.
QUILLET_NEON_INLINE int32_t storeLineChunk(double* lineL, double* lineR, int32_t w, int32_t length,
                                           const double* values, int32_t count) {
  for (int32_t j = 0; j < count;) {
    const int32_t run = count - j < length - w ? count - j : length - w;
    int32_t k = 0;
    for (; k + 2 <= run; k += 2) {
      const float64x2x2_t v = vld2q_f64(values + 2 * (j + k));  // (l0, l1), (r0, r1)
      vst1q_f64(lineL + w + k, finiteOrZero(v.val[0]));
      vst1q_f64(lineR + w + k, finiteOrZero(v.val[1]));
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

// What the block reads and updates.
template <typename Sample>
struct NeonBlock {
  const Sample* inL;
  const Sample* inR;
  Sample* outL;
  Sample* outR;
  double* lineL;
  double* lineR;
  int32_t length;
  F ad;  // antiDenormal in both lanes
};

// The block, chunk by chunk: filters, routing and mix, then the erf and the
// lines' stores. Returns the write position after it.
template <int kRoute, bool kGliding, bool kMonoOut, typename Sample>
int32_t echoBlock(const NeonBlock<Sample>& c, int32_t w, int32_t sampleFrames, int32_t chunkLimit,
                  ErfArray vectorErf, OnePoleNeon& hpState, BiquadNeon& shelfState,
                  BiquadNeon& lpState, ParamSmoother* const* smoothers) {
  constexpr bool kMono = kRoute == 3;
  // Local copies, so that the filters stay in registers: nothing the loop
  // stores through a pointer can be one of them.
  OnePoleNeon hp = hpState;
  BiquadNeon shelf = shelfState;
  BiquadNeon lp = lpState;
  const Sample* const inL = c.inL;
  const Sample* const inR = c.inR;
  Sample* const outL = c.outL;
  Sample* const outR = c.outR;
  const double* const lineL = c.lineL;
  const double* const lineR = c.lineR;
  const int32_t length = c.length;
  double args[2 * kMaxChunk];
  SmootherBank bank(smoothers);
  // Without a glide every smoother holds its steady value.
  const Gains held = gainsOf<kRoute>(pair(static_cast<double>(smoothers[0]->steadyValue()),
                                          static_cast<double>(smoothers[1]->steadyValue())),
                                     pair(static_cast<double>(smoothers[2]->steadyValue()),
                                          static_cast<double>(smoothers[3]->steadyValue())),
                                     pair(static_cast<double>(smoothers[4]->steadyValue()), 0.0));
  const F ad = c.ad;
  const auto filter = [&](F t) {
    return lp.step(vaddq_f64(shelf.step(vaddq_f64(hp.step(t), ad)), ad));
  };

  for (int32_t start = 0; start < sampleFrames;) {
    const int32_t count = sampleFrames - start < chunkLimit ? sampleFrames - start : chunkLimit;
    const int32_t chunkStart = w;
    // Runs of frames within the ring, so that the position wraps between them.
    for (int32_t j = 0; j < count;) {
      const int32_t run = count - j < length - w ? count - j : length - w;
      int32_t k = 0;
      for (; k + 2 <= run; k += 2) {
        const int32_t i = start + j + k;
        const Gains g0 = kGliding ? bank.template step<kRoute>() : held;
        const F lines0 = vld1q_f64(lineL + w + k), lines1 = vld1q_f64(lineR + w + k);
        const F y0 = filter(vzip1q_f64(lines0, lines1));
        const Gains g1 = kGliding ? bank.template step<kRoute>() : held;
        const F y1 = filter(vzip2q_f64(lines0, lines1));
        F in0, in1, out0, out1;
        loadTwo<kMono>(inL + i, inR + i, &in0, &in1);
        vst1q_f64(args + 2 * (j + k), routeFrame<kRoute>(y0, in0, ad, g0, &out0));
        vst1q_f64(args + 2 * (j + k + 1), routeFrame<kRoute>(y1, in1, ad, g1, &out1));
        storeTwo<kMonoOut && !kMono>(out0, out1, outL + i, outR + i);
      }
      for (; k < run; ++k) {
        const int32_t i = start + j + k;
        const Gains g = kGliding ? bank.template step<kRoute>() : held;
        const F y = filter(pair(lineL[w + k], lineR[w + k]));
        F out;
        vst1q_f64(args + 2 * (j + k),
                  routeFrame<kRoute>(y, loadOne<kMono>(inL + i, inR + i), ad, g, &out));
        storeOne<kMonoOut && !kMono>(out, outL + i, outR + i);
      }
      j += run;
      w += run;
      if (w >= length) w = 0;
    }
    if (vectorErf) {
      vectorErf(args, args, 2 * count);
      w = storeLineChunk(c.lineL, c.lineR, chunkStart, c.length, args, count);
    } else {
      w = writeLineChunk(c.lineL, c.lineR, chunkStart, c.length, args, count, nullptr);
    }
    start += count;
  }
  if (kGliding) bank.storeCurrent();
  hpState = hp;
  shelfState = shelf;
  lpState = lp;
  return w;
}

}  // namespace

template <typename Sample>
bool echoBlockNeon(EchoEngine& e, const Sample* const* inputs, Sample* const* outputs,
                   int32_t sampleFrames, int mode, bool monoOut, int32_t chunkLimit,
                   ErfArray vectorErf) {
  if (chunkLimit < 1 || chunkLimit > kMaxChunk) return false;
  OnePoleNeon hp(e.hpL, e.hpR);
  BiquadNeon shelf(e.shelfL, e.shelfR);
  BiquadNeon lp(e.lpL, e.lpR);
  ParamSmoother* const smoothers[5] = {&e.feedback, &e.level, &e.dry, &e.pan, &e.xFeed};
  const bool gliding = !(e.feedback.holdsSteady() && e.level.holdsSteady() && e.dry.holdsSteady() &&
                         e.pan.holdsSteady() && e.xFeed.holdsSteady());
  const NeonBlock<Sample> c{
      inputs[0],      inputs[1],      outputs[0],    outputs[1],
      e.delayL.get(), e.delayR.get(), e.delayLength, vdupq_n_f64(e.antiDenormal)};
  e.writePos = withRouting(mode, gliding, [&](auto route, auto glide) {
    constexpr int kRoute = decltype(route)::value;
    constexpr bool kGliding = decltype(glide)::value;
    return monoOut ? echoBlock<kRoute, kGliding, true>(c, e.writePos, sampleFrames, chunkLimit,
                                                       vectorErf, hp, shelf, lp, smoothers)
                   : echoBlock<kRoute, kGliding, false>(c, e.writePos, sampleFrames, chunkLimit,
                                                        vectorErf, hp, shelf, lp, smoothers);
  });
  hp.store(e.hpL, e.hpR);
  shelf.store(e.shelfL, e.shelfR);
  lp.store(e.lpL, e.lpR);
  return true;
}

}  // namespace quillet::engine

#else

namespace quillet::engine {

template <typename Sample>
bool echoBlockNeon(EchoEngine&, const Sample* const*, Sample* const*, int32_t, int, bool, int32_t,
                   ErfArray) {
  return false;
}

}  // namespace quillet::engine

#endif

namespace quillet::engine {

template bool echoBlockNeon(EchoEngine&, const float* const*, float* const*, int32_t, int, bool,
                            int32_t, ErfArray);
template bool echoBlockNeon(EchoEngine&, const double* const*, double* const*, int32_t, int, bool,
                            int32_t, ErfArray);

}  // namespace quillet::engine
