// First-order filter section in 64-bit floats: y = b0·x + b1·x1 − a1·y1.
#pragma once

namespace quillet::engine {

struct OnePoleFilter {
  double b0 = 1.0;
  double b1 = 0.0;
  double a1 = 0.0;
  double x1 = 0.0;  // previous input
  double y1 = 0.0;  // previous output

  double step(double x) {
    const double y = b0 * x + b1 * x1 - a1 * y1;
    x1 = x;
    y1 = y;
    return y;
  }

  void clearState() { x1 = y1 = 0.0; }
};

}  // namespace quillet::engine
