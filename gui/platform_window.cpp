#include "gui/platform_window.h"

namespace VSTGUI {

namespace {
PlatformWindowFactory installedFactory = nullptr;
}

void setPlatformWindowFactory(PlatformWindowFactory factory) { installedFactory = factory; }

PlatformWindowFactory platformWindowFactory() {
  return installedFactory ? installedFactory : defaultPlatformWindowFactory();
}

}  // namespace VSTGUI
