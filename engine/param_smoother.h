// One-pole glide of a control value, in single precision. A settled smoother
// holds its target and costs nothing per sample; so does one whose glide has
// come to rest (see holdsSteady).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace quillet::engine {

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

  // True when every step until the next retarget gives the same value: once
  // settled, or once a glide rests on its fixed point, where one step leaves
  // current unchanged to the bit. (A glide toward anything but 0 comes to
  // rest a few units in the last place short of its target and never
  // settles.) The value is then steadyValue(), so a loop may read it once.
  bool holdsSteady() const {
    if (settled) return true;
    const float next = (current - target) * coefficient + target;
    uint32_t a, b;
    std::memcpy(&a, &next, sizeof a);
    std::memcpy(&b, &current, sizeof b);
    return a == b;
  }
  float steadyValue() const { return settled ? target : current; }

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

}  // namespace quillet::engine
