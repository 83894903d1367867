// Delay time and delay memory size in samples.
#pragma once

#include <cstdint>

namespace quillet::engine {

// The echo time chosen by "Delay" and "Range", in samples at rate fs (not yet
// truncated): 30–160 ms linear, 120–650 ms quadratic or 480–2600 ms cubic.
double delaySamples(float delay, float range, float fs);

// The ring length for that many samples in arrays of capacity elements: the
// samples truncated, at least 1 and at most capacity. (The longest delay is
// the size of the arrays; the clamp only guards against a rounding step or a
// value outside 0..1.)
int32_t wholeDelayLength(double samples, int32_t capacity);

// Samples held by each delay array: 2.6 s at rate fs, truncated. 0 for a rate
// that is not usable (see usableSampleRate).
int32_t delayCapacity(float fs);

// A rate the echo can run at: finite, no higher than kMaxSampleRate, and high
// enough that the shortest delay (30 ms) is at least one sample.
bool usableSampleRate(float fs);

// Above this the effect passes audio through rather than take more memory.
constexpr float kMaxSampleRate = 1000000.0f;

}  // namespace quillet::engine
