// One-pole glide of a control value, in single precision. A settled smoother
// holds its target and costs nothing per sample.
#pragma once

#include <cmath>

struct ParamSmoother {
  float target = 0.0f;
  float coefficient = 0.0f;
  float current = 0.0f;
  bool settled = true;

  float step() {
    if (settled) return target;
    current = (current - target) * coefficient + target;
    return current;
  }

  // Once per block: a glide that has come within 1e-25 of its target lands on it.
  void settleTest() {
    if (!settled && std::fabs(current - target) < 1e-25f) {
      current = target;
      settled = true;
    }
  }

  void snap() {
    if (!settled) {
      current = target;
      settled = true;
    }
  }

  void retarget(float value) {
    target = value;
    settled = false;
  }

  // Lands on a value at once, without a glide.
  void jumpTo(float value) {
    target = value;
    current = value;
    settled = true;
  }
};
