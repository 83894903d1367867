// A picture of what a plug-in's panel shows once it has drawn: idled as a
// host idles it (each idle about 20 ms) until two captures in a row agree.
#pragma once

#include <functional>
#include <vector>

#include "host/window/host_window.h"

namespace quillet::host {

// False when the window cannot be read.
bool captureSettled(HostWindow& window, const std::function<void()>& idle,
                    std::vector<unsigned char>* rgb, int* width, int* height);

}  // namespace quillet::host
