// The rule for a value any host or panel hands over for storing: 0..1, with
// infinities clamped like any other value out of range. Not a number is no
// value at all: it comes back as NaN for the caller to drop.
#pragma once

#include <cmath>

namespace quillet::core {

inline float clampStoredValue(float value) {
  if (std::isnan(value)) return value;
  if (value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;
}

}  // namespace quillet::core
