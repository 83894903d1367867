// The DLL's entry routine: keeps the module handle for resource lookup and the
// frame's window class.
#include <windows.h>

#include "platform/module_handle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reason;
  (void)reserved;
  quillet::platform::setModuleHandle(instance);
  return TRUE;
}
