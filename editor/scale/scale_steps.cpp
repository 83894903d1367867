#include "editor/scale/scale_steps.h"

#include <cmath>
#include <cstdint>

namespace quillet::editor {

float nearestScaleStep(float factor) {
  if (!(factor > kSmallestScale)) return kSmallestScale;  // NaN included
  if (factor >= kLargestScale) return kLargestScale;
  float best = kSmallestScale;
  for (float step : kScaleSteps)
    if (std::fabs(step - factor) < std::fabs(best - factor)) best = step;
  return best;
}

std::optional<float> parseScaleFactor(std::string_view text) {
  if (text.empty() || text.size() > 16) return std::nullopt;
  // All digits as one whole number, then divided by ten per fraction digit:
  // no locale's decimal point involved, and "1.25" is exactly 1.25.
  uint64_t digits = 0;
  double divisor = 1;
  bool point = false, digitBeforePoint = false, digitAfterPoint = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = digits * 10 + static_cast<uint64_t>(c - '0');
      if (point) {
        divisor *= 10;
        digitAfterPoint = true;
      } else {
        digitBeforePoint = true;
      }
    } else {
      return std::nullopt;
    }
  }
  if (!digitBeforePoint || (point && !digitAfterPoint)) return std::nullopt;
  const double value = static_cast<double>(digits) / divisor;
  if (value < kSmallestScale || value > kLargestScale) return std::nullopt;
  return static_cast<float>(value);
}

}  // namespace quillet::editor
