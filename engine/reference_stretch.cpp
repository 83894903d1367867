// The stretch written as plainly as possible: the oracle that the fast path
// in line_stretch.cpp must match sample for sample.
#include "engine/line_stretch.h"
#include "engine/stretch_noise.h"

namespace quillet::engine {

void stretchRingsDirect(const StretchRings& rings, uint32_t seed) {
  const int32_t oldLength = rings.oldLength;
  const double step = static_cast<double>(oldLength) / rings.newLength;
  double x = 0.0;
  uint32_t s = seed;
  for (int32_t i = 0; i < rings.newLength; ++i) {
    int32_t k = static_cast<int32_t>(x);
    if (k > oldLength - 1) k = oldLength - 1;  // never taken: x stays below oldLength
    const double f = x - k;
    const int32_t next = k < oldLength - 1 ? k + 1 : 0;  // the ring closes
    const double left = (rings.oldL[next] - rings.oldL[k]) * f + rings.oldL[k];
    const double right = (rings.oldR[next] - rings.oldR[k]) * f + rings.oldR[k];
    s = nextNoiseState(s);
    rings.newL[i] = left + stretchNoise(s);
    s = nextNoiseState(s);
    rings.newR[i] = right + stretchNoise(s);
    x = x + step;  // accumulated, not i * step
  }
}

}  // namespace quillet::engine
