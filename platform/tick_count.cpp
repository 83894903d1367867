#include "platform/tick_count.h"

#ifdef _WIN32
#include <windows.h>

namespace quillet::platform {
uint32_t tickCount() { return GetTickCount(); }
void sleepMilliseconds(uint32_t ms) { Sleep(ms); }
}  // namespace quillet::platform

#else
#include <time.h>

namespace quillet::platform {

uint32_t tickCount() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t ms =
      static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);  // truncated: wraps like a 32-bit tick count
}

void sleepMilliseconds(uint32_t ms) {
  timespec pause;
  pause.tv_sec = static_cast<time_t>(ms / 1000u);
  pause.tv_nsec = static_cast<long>(ms % 1000u) * 1000000L;
  while (nanosleep(&pause, &pause) != 0) {
  }
}

}  // namespace quillet::platform
#endif
