#include "platform/platform_window.h"

namespace quillet::platform {

namespace {
PlatformWindowFactory installedFactory = nullptr;
}

void setPlatformWindowFactory(PlatformWindowFactory factory) { installedFactory = factory; }

PlatformWindowFactory platformWindowFactory() {
  return installedFactory ? installedFactory : defaultPlatformWindowFactory();
}

}  // namespace quillet::platform
