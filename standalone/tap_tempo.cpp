#include "standalone/tap_tempo.h"

namespace quillet::standalone {

double TapTempo::tap(uint64_t ticks) {
  if (count > 0) {
    const uint64_t last = times[count - 1];
    const double gap = ticks >= last ? static_cast<double>(ticks - last) / ticksPerSecond : -1.0;
    if (gap < 0.0 || gap > kLongestGapSeconds) {
      count = 0;  // a new row (or a clock that went back)
    } else if (gap < kShortestGapSeconds) {
      return 0.0;
    }
  }
  if (count == kMostTaps) {
    for (int i = 1; i < kMostTaps; ++i) times[i - 1] = times[i];
    --count;
  }
  times[count++] = ticks;
  if (count < 2) return 0.0;
  const double span = static_cast<double>(times[count - 1] - times[0]);
  return 60.0 * ticksPerSecond * static_cast<double>(count - 1) / span;
}

}  // namespace quillet::standalone
