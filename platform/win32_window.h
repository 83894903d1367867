// The frame's window on Windows: a child window of the host's window with a
// class of this module's own. The host's message loop delivers its messages;
// paint, button and wheel messages reach the frame through the events sink it
// hands over at its first idle.
#pragma once

#include <memory>

#include "platform/platform_window.h"

namespace quillet::platform {

// Null when there is no parent or the window cannot be made there.
std::unique_ptr<PlatformWindow> createWin32Window(void* parent, int32_t width, int32_t height);

}  // namespace quillet::platform
