// Where the frames of a stretch read consecutive old samples. Within one
// binade of the read position every frame j sits at x + j * inc exactly
// (line_stretch.cpp), so the pair k = trunc(x + j * inc) each frame reads
// is known without running the frames, and with a step near 1 (any "Delay"
// move a block makes) long runs of frames read pairs k, k + 1, k + 2, ...
// The vector runs skip their per-group test there.
#pragma once

#include <cstdint>

namespace quillet::engine {

// Whether to look for such runs at all: each costs a division and a few
// conversions to find, which pays once runs are long. A step within 1/128 of
// 1 makes runs of at least 128 frames (positions from 8 on, so that the
// runs' fractions stay exact).
inline bool stepMakesRuns(double step) {
  const double drift = step - 1.0;
  return drift > -1.0 / 128.0 && drift < 1.0 / 128.0;
}
inline bool runsWorthFinding(double x, double inc) { return x >= 8.0 && stepMakesRuns(inc); }

// The most whole groups of eight frames, up to most, from frame `from` on
// whose frames read consecutive pairs. Frames from .. from + 8 * most - 1
// must lie in one binade of the read position.
int32_t consecutiveGroupsFrom(double x, double inc, int32_t from, int32_t most);

// The groups 0 .. groups - 1 of eight frames inside one binade (frame j at
// x + j * inc), from group 0 up: each stretch of groups that read
// consecutive pairs as runs(g, n, at), g its first group, and each group
// between them as single(g, at); at is group g's first read position.
template <typename Runs, typename Single>
__attribute__((always_inline)) inline void forEachGroupRun(double x, double inc, int32_t groups,
                                                           Runs runs, Single single) {
  for (int32_t g = 0; g < groups;) {
    const double at = x + static_cast<double>(8 * g) * inc;
    const int32_t n = consecutiveGroupsFrom(x, inc, 8 * g, groups - g);
    if (n > 0) {
      runs(g, n, at);
      g += n;
    } else {
      single(g, at);
      ++g;
    }
  }
}

// How many of at most `most` groups of eight frames from position x on run
// below limit: group g runs while x + (g + 1) * octInc < limit, and that sum
// is exact below the binade's top (at or above it, so is its rounding).
// Counted up front, so that no scalar position chain runs beside the vectors.
inline int32_t groupsBelowLimit(double x, double octInc, double limit, int32_t most) {
  const double room = (limit - x) / octInc;  // positive: x is below limit
  int32_t groups = room < static_cast<double>(most) ? static_cast<int32_t>(room) : most;
  while (groups > 0 && !(x + static_cast<double>(groups) * octInc < limit)) --groups;
  while (groups < most && x + static_cast<double>(groups + 1) * octInc < limit) ++groups;
  return groups;
}

}  // namespace quillet::engine
