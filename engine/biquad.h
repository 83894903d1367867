// Second-order filter section in 64-bit floats, direct form I. b0..a2 are
// already divided by a0; a0 keeps its raw value and is not used by the step.
#pragma once

namespace quillet::engine {

struct Biquad {
  double a0 = 0.0;
  double a1 = 0.0;
  double a2 = 0.0;
  double b0 = 1.0;
  double b1 = 0.0;
  double b2 = 0.0;
  double x1 = 0.0;
  double x2 = 0.0;
  double y1 = 0.0;
  double y2 = 0.0;

  double step(double x) {
    // Summed in exactly this order; the output depends on it to the last bit.
    const double y = b1 * x1 + b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }

  void clearState() { x1 = x2 = y1 = y2 = 0.0; }
};

}  // namespace quillet::engine
