// The module (DLL or program) this code is linked into, as Windows names it:
// resource lookup and the window class name use it.
#pragma once

namespace quillet::platform {

// Stored by the library's entry routine on every call it receives.
void setModuleHandle(void* module);
// The stored handle; without one, the module that holds this code.
void* moduleHandle();

}  // namespace quillet::platform
