#include "editor/tempo_sync.h"

#include <cmath>

double noteBeats(int32_t tag) {
  switch (tag) {
    case 1001:
      return 4.0;
    case 1002:
      return 2.0;
    case 1003:
      return 1.0;
    case 1004:
      return 0.5;
    case 1005:
      return 0.25;
    case 1006:
      return 0.125;
    default:
      return 0.0;
  }
}

double noteModeFactor(float mode) {
  if (mode < 0.33333334f) return 1.0;
  if (mode > 0.6666666f) return 2.0 / 3.0;
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
