// How long the echo goes on after its input stops, for hosts that render a
// plug-in's tail (and stop processing it once the tail is over).
#pragma once

#include <cstdint>

#include "engine/echo_engine.h"

namespace quillet::core {

// An echo that never dies away: from a "Repeat" of about one half on, the
// saturated loop sustains itself.
constexpr uint32_t kInfiniteTail = UINT32_MAX;

// What the feedback path's three filters (high-pass, shelf, low-pass), as
// the engine has designed them for its rate, do to a tail.
struct LoopFilterBounds {
  // The largest gain they have at any frequency, with a small margin for the
  // frequencies between those looked at.
  double peakGain = 0.0;
  // Frames their slowest pole takes to ring down by 100 dB, summed over the
  // three: how long the last echo goes on after its line has gone quiet.
  uint32_t ringFrames = 0;
};

LoopFilterBounds loopFilterBounds(const engine::EchoEngine& engine);

// Frames until the echo has died away by 90 dB, from lines that hold at most
// full scale: the first echo after delayLength frames, then one pass of the
// loop per delayLength, each scaling the echo by at most 2 * repeat times the
// steepest slope of the saturation (2 / sqrt(pi)) times the filters' peak
// gain, then the filters' ring. kInfiniteTail when a pass cannot be shown to
// shrink the echo.
uint32_t echoTailFrames(float repeat, int32_t delayLength, const LoopFilterBounds& filters);

}  // namespace quillet::core
