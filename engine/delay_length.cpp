#include "engine/delay_length.h"

#include <cmath>

#include "engine/echo_params.h"

namespace quillet::engine {

double delaySamples(float delay, float range, float fs) {
  float ms;
  switch (threeWayPosition(range)) {
    case 0:
      ms = delay * 130.0f + 30.0f;
      break;
    case 1:
      ms = delay * delay * 530.0f + 120.0f;
      break;
    default:
      ms = delay * delay * delay * 2120.0f + 480.0f;
      break;
  }
  return static_cast<double>(ms) * (static_cast<double>(fs) * 0.001);
}

int32_t wholeDelayLength(double samples, int32_t capacity) {
  if (!(samples >= 1.0)) return 1;
  if (samples >= static_cast<double>(capacity)) return capacity;
  return static_cast<int32_t>(samples);
}

bool usableSampleRate(float fs) {
  // NaN fails every comparison and so is refused here as well.
  if (!(fs > 0.0f && fs <= kMaxSampleRate)) return false;
  return delaySamples(0.0f, 0.0f, fs) >= 1.0;
}

int32_t delayCapacity(float fs) {
  if (!usableSampleRate(fs)) return 0;
  return static_cast<int32_t>(static_cast<double>(fs) * 2.6);
}

}  // namespace quillet::engine
