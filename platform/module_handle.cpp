#include "platform/module_handle.h"

#include <windows.h>

namespace quillet::platform {

namespace {
HMODULE storedModule = nullptr;
}

void setModuleHandle(void* module) { storedModule = static_cast<HMODULE>(module); }

void* moduleHandle() {
  if (storedModule) return storedModule;
  // A program linked with this code has no entry routine of ours: ask which
  // module holds this function.
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&moduleHandle), &module);
  return module;
}

}  // namespace quillet::platform
