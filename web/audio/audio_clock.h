// The clock the web edition's echo seeds its tape-stretch noise from: the
// audio it has rendered, not the wall. quillet-host --fixed-clock tells a
// plug-in the time the same way (a monotonic clock that starts at 1000 s and
// advances with each block's first frame), so a page's render and the host's
// give the same noise, and an export gives the same file every time.
#pragma once

#include <cstdint>

namespace quillet::web {

// The millisecond tick count at the start of a block whose first frame is
// `frame` frames after the start, at `rate` frames per second.
inline uint32_t audioClockTicks(uint64_t frame, double rate) {
  const uint64_t nanoseconds = static_cast<uint64_t>(static_cast<double>(frame) / rate * 1e9);
  constexpr uint64_t kStartMilliseconds = 1000u * 1000u;
  return static_cast<uint32_t>(kStartMilliseconds + nanoseconds / 1000000u);
}

}  // namespace quillet::web
