// Millisecond clock and sleep of the operating system. The tick count is 32
// bits and wraps around, like the Windows tick count it stands in for.
#pragma once

#include <cstdint>

namespace quillet::platform {

uint32_t tickCount();
void sleepMilliseconds(uint32_t ms);

}  // namespace quillet::platform
