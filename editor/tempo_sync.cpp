#include "editor/tempo_sync.h"

#include <cmath>

#include "core/param_table.h"

double noteBeats(int32_t tag) {
  // Whole note 4 beats, each following key half the one before.
  if (tag < quillet::core::kTagWholeNote || tag > quillet::core::kTagThirtySecondNote) return 0.0;
  return 4.0 / static_cast<double>(1 << (tag - quillet::core::kTagWholeNote));
}

double noteModeFactor(float mode) {
  // The switch thresholds of the parameters, though the third position here
  // starts only above the second threshold.
  if (mode < quillet::engine::kSwitchSecondPosition) return 1.0;
  if (mode > quillet::engine::kSwitchThirdPosition) return 2.0 / 3.0;
  return 1.5;
}

DelaySetting delayForTime(double t) {
  double d, r;
  if (t < 30.0) {
    d = 0.0;
    r = 0.0;
  } else if (t < 160.0) {
    d = (t - 30.0) / 130.0;
    r = 0.0;
  } else if (t < 650.0) {
    d = std::sqrt((t - 120.0) / 530.0);
    r = 0.5;
  } else if (t < 2500.0) {
    // Anything from 2500 ms on takes the longest echo the long range offers.
    d = std::cbrt((t - 480.0) / 2120.0);
    r = 1.0;
  } else {
    d = 1.0;
    r = 1.0;
  }
  float delay = static_cast<float>(d);
  if (!(delay >= 0.0f)) delay = 0.0f;
  if (delay > 1.0f) delay = 1.0f;
  return DelaySetting{delay, static_cast<float>(r)};
}
