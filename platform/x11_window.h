// The frame's window on X11: a child of the host's window on a connection of
// its own. Events are read without blocking whenever the editor idles.
#pragma once

#include <memory>

#include "platform/platform_window.h"

namespace quillet::platform {

// Null when there is no parent, no display or the parent is not a window.
std::unique_ptr<PlatformWindow> createX11Window(void* parent, int32_t width, int32_t height);

}  // namespace quillet::platform
