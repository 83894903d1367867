#include "engine/stretch_spans.h"

namespace quillet::engine {

namespace {

// The pair frame j reads: x + j * inc is exact inside the binade.
inline int32_t pairOf(double x, double inc, int32_t j) {
  return static_cast<int32_t>(x + static_cast<double>(j) * inc);
}

// Frames a .. b read consecutive pairs. The pair advances by 0 or 1 per
// frame with a step below 1, by 1 or more otherwise, so the two ends tell.
inline bool consecutive(double x, double inc, int32_t a, int32_t b) {
  return pairOf(x, inc, b) - pairOf(x, inc, a) == b - a;
}

// A first guess of how many frames past a frame with fraction f still read
// the next pair each: the fraction moves by inc - 1 per frame and the run
// ends where it leaves [0, 1). Rounding may make it one off either way; the
// callers correct it against the pairs themselves.
inline double framesUntilBreak(double f, double inc) {
  const double drift = inc - 1.0;  // exact near 1
  if (drift == 0.0) return 1e18;
  return drift < 0.0 ? f / -drift : (1.0 - f) / drift;
}

inline int32_t clampGroups(double frames, int32_t most) {
  const double groups = frames / 8.0;
  return groups < static_cast<double>(most) ? static_cast<int32_t>(groups) : most;
}

}  // namespace

int32_t consecutiveGroupsFrom(double x, double inc, int32_t from, int32_t most) {
  if (most <= 0) return 0;
  const double at = x + static_cast<double>(from) * inc;
  const double f = at - static_cast<double>(static_cast<int32_t>(at));
  int32_t n = clampGroups(framesUntilBreak(f, inc) + 1.0, most);
  while (n > 0 && !consecutive(x, inc, from, from + 8 * n - 1)) --n;
  while (n < most && consecutive(x, inc, from, from + 8 * (n + 1) - 1)) ++n;
  return n;
}

}  // namespace quillet::engine
