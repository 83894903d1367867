#include "platform/resources.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include "platform/module_handle.h"
#endif

namespace quillet::platform {

#ifdef _WIN32

// The pictures are compiled into the DLL's resource section.
bool findResource(const char* type, int32_t id, ResourceData* out) {
  if (!out) return false;
  *out = ResourceData();
  if (!type) return false;
  HMODULE module = static_cast<HMODULE>(moduleHandle());
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return false;
  out->data = static_cast<const unsigned char*>(data);
  out->size = size;
  return true;
}

#else

bool findResource(const char* type, int32_t id, ResourceData* out) {
  if (!out) return false;
  *out = ResourceData();
  if (!type) return false;
  for (size_t i = 0; i < kModuleResourceCount; ++i) {
    const ResourceEntry& entry = kModuleResources[i];
    if (entry.id == id && std::strcmp(entry.type, type) == 0) {
      out->data = entry.data;
      out->size = entry.size;
      return true;
    }
  }
  return false;
}

#endif

}  // namespace quillet::platform
