#include "engine/filter_design.h"

#include <cmath>

namespace quillet::engine {

namespace {

// A second-order section is kept only if it is finite and its poles lie
// inside the unit circle; at rates where a corner reaches Nyquist the
// formulas give sections that ring up without bound.
bool isStable(const Biquad& f) {
  const bool finite = std::isfinite(f.b0) && std::isfinite(f.b1) && std::isfinite(f.b2) &&
                      std::isfinite(f.a1) && std::isfinite(f.a2);
  return finite && std::fabs(f.a2) < 1.0 && std::fabs(f.a1) < 1.0 + f.a2;
}

void makeIdentity(Biquad& f) {
  f.a0 = 1.0;
  f.b0 = 1.0;
  f.b1 = f.b2 = f.a1 = f.a2 = 0.0;
}

}  // namespace

void highShelfCoefficients(Biquad& shelf, double A, double cosW0, double alphaShelf) {
  const double beta = 2.0 * std::sqrt(A) * alphaShelf;
  shelf.b0 = A * ((A + 1.0) + (A - 1.0) * cosW0 + beta);
  shelf.b1 = -2.0 * A * ((A + 1.0) * cosW0 + (A - 1.0));
  shelf.b2 = A * ((A + 1.0) + (A - 1.0) * cosW0 - beta);
  shelf.a0 = (A + 1.0) - (A - 1.0) * cosW0 + beta;
  shelf.a1 = 2.0 * ((A - 1.0) - (A + 1.0) * cosW0);
  shelf.a2 = (A + 1.0) - (A - 1.0) * cosW0 - beta;
}

void designHighPass(OnePoleFilter& filter, double fs) {
  const double K = std::tan(628.3185307179587 / fs);  // tan(pi * 200 / fs)
  const double a = 1.0 / K;
  const double b0 = a / (a + 1.0);
  const double a1 = (1.0 - a) / (a + 1.0);
  if (std::isfinite(b0) && std::isfinite(a1) && std::fabs(a1) < 1.0) {
    filter.b0 = b0;
    filter.b1 = -b0;
    filter.a1 = a1;
  } else {
    filter.b0 = filter.b1 = filter.a1 = 0.0;
  }
}

void designHighShelf(Biquad& shelf, double fs) {
  const double A = std::exp(-0.34538776394910686);  // 10^-0.15
  const double w0 = 15707.963267948966 / fs;        // 2 pi * 2500 / fs
  highShelfCoefficients(shelf, A, std::cos(w0), std::sin(w0) / 0.8);
  shelf.b0 /= shelf.a0;
  shelf.b1 /= shelf.a0;
  shelf.b2 /= shelf.a0;
  shelf.a1 /= shelf.a0;
  shelf.a2 /= shelf.a0;
  if (!isStable(shelf)) makeIdentity(shelf);
}

void designLowPass(Biquad& lowPass, double fs) {
  const double w0 = 43982.2971502571 / fs;  // 2 pi * 7000 / fs
  const double c = std::cos(w0);
  const double alpha = std::sin(w0) / 1.4142;
  const double u = 1.0 + alpha;
  lowPass.a0 = u;
  lowPass.b0 = (1.0 - c) * 0.5 / u;
  lowPass.b2 = lowPass.b0;
  lowPass.b1 = (1.0 - c) / u;
  lowPass.a1 = -2.0 * c / u;
  lowPass.a2 = (1.0 - alpha) / u;
  if (!isStable(lowPass)) makeIdentity(lowPass);
}

float smootherCoefficient(float fs, float timeConstantMs) {
  return std::exp(-1000.0f / (fs * timeConstantMs));
}

}  // namespace quillet::engine
