// The pointer as the window backends report it: where it is and which
// buttons and modifier keys are held, as one bit mask.
#pragma once

#include <cstdint>

#include "platform/geometry.h"

namespace quillet::platform {

constexpr int32_t kButtonLeft = 1 << 0;  // the primary button, with the system's swap honoured
constexpr int32_t kButtonMiddle = 1 << 1;
constexpr int32_t kButtonRight = 1 << 2;
constexpr int32_t kKeyShift = 1 << 3;
constexpr int32_t kKeyControl = 1 << 4;
constexpr int32_t kKeyAlt = 1 << 5;

struct MouseState {
  Point where;      // window coordinates
  int32_t buttons;  // the bits above held right now
};

}  // namespace quillet::platform
