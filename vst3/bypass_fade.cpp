#include "vst3/bypass_fade.h"

#include <cmath>

namespace quillet::vst3 {

void BypassFade::setSampleRate(double rate) {
  const double frames = std::isfinite(rate) && rate > 0 ? std::round(rate * kFadeSeconds) : 1.0;
  const uint32_t newLength = frames < 1.0   ? 1u
                             : frames > 1e6 ? 1000000u
                                            : static_cast<uint32_t>(frames);
  // Keep the share of the echo where it was.
  wet = static_cast<uint32_t>(std::lround(echoShare() * newLength));
  length = newLength;
}

void BypassFade::jumpTo(bool bypassed) {
  target = bypassed;
  wet = bypassed ? 0 : length;
}

template <class Sample>
void BypassFade::mixAll(Sample* const* out, const double* const* dry, uint32_t frames) {
  for (uint32_t i = 0; i < frames; ++i) {
    if (target && wet > 0) --wet;
    if (!target && wet < length) ++wet;
    if (wet == length) continue;  // the echo as it is
    if (wet == 0) {
      out[0][i] = static_cast<Sample>(dry[0][i]);
      out[1][i] = static_cast<Sample>(dry[1][i]);
      continue;
    }
    const double share = static_cast<double>(wet) / length;
    for (int c = 0; c < 2; ++c)
      out[c][i] =
          static_cast<Sample>(dry[c][i] + (static_cast<double>(out[c][i]) - dry[c][i]) * share);
  }
}

template void BypassFade::mixAll<float>(float* const*, const double* const*, uint32_t);
template void BypassFade::mixAll<double>(double* const*, const double* const*, uint32_t);

}  // namespace quillet::vst3
