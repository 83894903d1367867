#include "host/window/capture_settled.h"

namespace quillet::host {

bool captureSettled(HostWindow& window, const std::function<void()>& idle,
                    std::vector<unsigned char>* rgb, int* width, int* height) {
  std::vector<unsigned char> previous;
  for (int pass = 0; pass < 100; ++pass) {
    idle();
    if (pass < 5 || pass % 5 != 0) continue;
    if (!window.capture(rgb, width, height)) return false;
    if (*rgb == previous) break;
    previous = *rgb;
  }
  return !rgb->empty();
}

}  // namespace quillet::host
