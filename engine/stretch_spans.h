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
