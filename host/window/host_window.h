// The host's window for a plug-in editor on this system: X11 on Linux, a
// top-level Win32 window on Windows. Both offer the same operations.
#pragma once

#ifdef _WIN32
#include "host/window/win32_host_window.h"
namespace quillet::host {
using HostWindow = Win32HostWindow;
}
#else
#include "host/window/x11_host_window.h"
namespace quillet::host {
using HostWindow = X11HostWindow;
}
#endif
