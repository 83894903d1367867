// How much one of the feedback path's filters passes at a frequency, from
// its coefficients: for the tail's bound (core/echo_tail.cpp) and the
// manual's plot of the path.
#pragma once

#include <cmath>
#include <complex>

#include "engine/biquad.h"
#include "engine/one_pole_filter.h"

namespace quillet::engine {

// w: the frequency in radians per sample (2 pi f / fs).
inline double gainAt(const OnePoleFilter& f, double w) {
  const std::complex<double> d = std::polar(1.0, -w);  // z^-1 on the unit circle
  return std::abs((f.b0 + f.b1 * d) / (1.0 + f.a1 * d));
}

inline double gainAt(const Biquad& f, double w) {
  const std::complex<double> d = std::polar(1.0, -w);
  return std::abs((f.b0 + f.b1 * d + f.b2 * d * d) / (1.0 + f.a1 * d + f.a2 * d * d));
}

}  // namespace quillet::engine
