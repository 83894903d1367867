// The one rule every validator holds a plug-in's output to: no NaN, no
// infinity and no subnormal number (which costs a host's later processing
// dearly), each judged in the precision the plug-in wrote it in.
#pragma once

#include <cmath>
#include <cstddef>
#include <string>

namespace quillet::host {

// "NaN", "infinity" or "subnormal"; null for a good sample.
template <typename Sample>
const char* badSampleKind(Sample v) {
  switch (std::fpclassify(v)) {
    case FP_NAN:
      return "NaN";
    case FP_INFINITE:
      return "infinity";
    case FP_SUBNORMAL:
      return "subnormal";
    default:
      return nullptr;
  }
}

// The first bad sample of `frames` frames of each channel, as "NaN in output
// 1 at frame 999" (frames counted from `firstFrame`); empty when all are good.
template <typename Channels>
std::string firstBadSample(const Channels& channels, size_t frames, size_t firstFrame = 0) {
  for (size_t c = 0; c < channels.size(); ++c)
    for (size_t i = 0; i < frames; ++i)
      if (const char* bad = badSampleKind(channels[c][i]))
        return std::string(bad) + " in output " + std::to_string(c) + " at frame " +
               std::to_string(firstFrame + i);
  return "";
}

}  // namespace quillet::host
