// The feedback filters of both channels stepped together in the echo loops:
// each value is a pair (left, right) of doubles in a GCC vector (one SSE2
// register on x86, one NEON register on aarch64; the same type as __m128d,
// so the 256-bit first pass works on these lanes too), and every product and
// sum is formed in the same order as OnePoleFilter::step and Biquad::step, so
// each lane gives the same bits as the scalar filter of its channel.
#pragma once

#include "engine/biquad.h"
#include "engine/one_pole_filter.h"

namespace quillet::engine {

using DoublePair = double __attribute__((vector_size(16)));

struct OnePoleLanes {
  DoublePair b0, b1, a1, x1, y1;

  OnePoleLanes(const OnePoleFilter& l, const OnePoleFilter& r)
      : b0{l.b0, r.b0}, b1{l.b1, r.b1}, a1{l.a1, r.a1}, x1{l.x1, r.x1}, y1{l.y1, r.y1} {}

  DoublePair step(DoublePair x) {
    const DoublePair y = b0 * x + b1 * x1 - a1 * y1;
    x1 = x;
    y1 = y;
    return y;
  }

  void storeState(OnePoleFilter& l, OnePoleFilter& r) const {
    l.x1 = x1[0];
    r.x1 = x1[1];
    l.y1 = y1[0];
    r.y1 = y1[1];
  }
};

struct BiquadLanes {
  DoublePair b0, b1, b2, a1, a2, x1, x2, y1, y2;

  BiquadLanes(const Biquad& l, const Biquad& r)
      : b0{l.b0, r.b0},
        b1{l.b1, r.b1},
        b2{l.b2, r.b2},
        a1{l.a1, r.a1},
        a2{l.a2, r.a2},
        x1{l.x1, r.x1},
        x2{l.x2, r.x2},
        y1{l.y1, r.y1},
        y2{l.y2, r.y2} {}

  DoublePair step(DoublePair x) {
    const DoublePair y = b1 * x1 + b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }

  void storeState(Biquad& l, Biquad& r) const {
    l.x1 = x1[0];
    r.x1 = x1[1];
    l.x2 = x2[0];
    r.x2 = x2[1];
    l.y1 = y1[0];
    r.y1 = y1[1];
    l.y2 = y2[0];
    r.y2 = y2[1];
  }
};

}  // namespace quillet::engine
