// Where the frames of a stretch read consecutive old samples. Within one
// binade of the read position every frame j sits at x + j * inc exactly
// (line_stretch.cpp), so the pair k = trunc(x + j * inc) each frame reads
// is known without running the frames, and with a step near 1 (any "Delay"
// move a block makes) long runs of frames read pairs k, k + 1, k + 2, ...
// The vector runs skip their per-group test there.
#pragma once

#include <cstdint>

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

// The same for the groups below frame `end`: frames end - 8n .. end - 1.
int32_t consecutiveGroupsBelow(double x, double inc, int32_t end, int32_t most);

// The groups 0 .. groups - 1 of eight frames inside one binade (frame j at
// x + j * inc), taken in the given direction (+1 up from group 0, -1 down
// from the last): each stretch of groups that read consecutive pairs as
// runs(g, n, at), g its first group in that direction, and each group between
// them as single(g, at); at is group g's first read position.
template <int kDirection, typename Runs, typename Single>
__attribute__((always_inline)) inline void forEachGroupRun(double x, double inc, int32_t groups,
                                                           Runs runs, Single single) {
  for (int32_t g = kDirection > 0 ? 0 : groups - 1; kDirection > 0 ? g < groups : g >= 0;) {
    const double at = x + static_cast<double>(8 * g) * inc;
    const int32_t n = kDirection > 0 ? consecutiveGroupsFrom(x, inc, 8 * g, groups - g)
                                     : consecutiveGroupsBelow(x, inc, 8 * (g + 1), g + 1);
    if (n > 0) {
      runs(g, n, at);
      g += kDirection * n;
    } else {
      single(g, at);
      g += kDirection;
    }
  }
}
