// How often the delay lines may stretch, and so how fast a stretch must be
// made: the engine makes each stretch within this time after it began
// (echo_engine.h), and where stretches are spaced the next one waits for it.
#pragma once

#include <cmath>
#include <cstdint>

namespace quillet::engine {

// The shortest time between two stretches where stretches are spaced.
constexpr double kStretchSpacingMs = 2.0;

// Frames in kStretchSpacingMs at this rate (at least 1).
inline int32_t stretchSpacingFrames(double sampleRate) {
  const double frames = std::floor(sampleRate * kStretchSpacingMs / 1000.0);
  if (!(frames >= 1.0)) return 1;
  return frames >= 1e9 ? 1000000000 : static_cast<int32_t>(frames);
}

}  // namespace quillet::engine
