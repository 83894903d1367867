// The feedback filters of both channels stepped together: each value is a
// pair (left, right) of doubles and every product and sum is formed in the
// same order as OnePoleFilter::step and Biquad::step, so each lane gives the
// same bits as the scalar filter of its channel.
#pragma once

#include <emmintrin.h>

#include "engine/biquad.h"
#include "engine/one_pole_filter.h"

inline __m128d loadPair(const double& left, const double& right) { return _mm_set_pd(right, left); }

inline void storePair(__m128d v, double& left, double& right) {
  _mm_storel_pd(&left, v);
  _mm_storeh_pd(&right, v);
}

struct OnePolePair {
  __m128d b0, b1, a1, x1, y1;

  OnePolePair(const OnePoleFilter& l, const OnePoleFilter& r)
      : b0(loadPair(l.b0, r.b0)),
        b1(loadPair(l.b1, r.b1)),
        a1(loadPair(l.a1, r.a1)),
        x1(loadPair(l.x1, r.x1)),
        y1(loadPair(l.y1, r.y1)) {}

  __m128d step(__m128d x) {
    const __m128d y =
        _mm_sub_pd(_mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1)), _mm_mul_pd(a1, y1));
    x1 = x;
    y1 = y;
    return y;
  }

  void storeState(OnePoleFilter& l, OnePoleFilter& r) const {
    storePair(x1, l.x1, r.x1);
    storePair(y1, l.y1, r.y1);
  }
};

struct BiquadPair {
  __m128d b0, b1, b2, a1, a2, x1, x2, y1, y2;

  BiquadPair(const Biquad& l, const Biquad& r)
      : b0(loadPair(l.b0, r.b0)),
        b1(loadPair(l.b1, r.b1)),
        b2(loadPair(l.b2, r.b2)),
        a1(loadPair(l.a1, r.a1)),
        a2(loadPair(l.a2, r.a2)),
        x1(loadPair(l.x1, r.x1)),
        x2(loadPair(l.x2, r.x2)),
        y1(loadPair(l.y1, r.y1)),
        y2(loadPair(l.y2, r.y2)) {}

  __m128d step(__m128d x) {
    const __m128d forward =
        _mm_add_pd(_mm_add_pd(_mm_mul_pd(b1, x1), _mm_mul_pd(b0, x)), _mm_mul_pd(b2, x2));
    const __m128d y = _mm_sub_pd(_mm_sub_pd(forward, _mm_mul_pd(a1, y1)), _mm_mul_pd(a2, y2));
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }

  void storeState(Biquad& l, Biquad& r) const {
    storePair(x1, l.x1, r.x1);
    storePair(x2, l.x2, r.x2);
    storePair(y1, l.y1, r.y1);
    storePair(y2, l.y2, r.y2);
  }
};
