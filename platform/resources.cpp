#include "platform/resources.h"

#include <cstring>

namespace platform {

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

}  // namespace platform
