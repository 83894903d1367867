// The library's built-in resources, looked up by type and integer id the way
// FindResource/LoadResource do on Windows. On Linux the data is linked into the
// library and listed in a table that the embedding module supplies.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet::platform {

struct ResourceEntry {
  const char* type;
  int32_t id;
  const unsigned char* data;
  size_t size;
};

struct ResourceData {
  const unsigned char* data = nullptr;
  size_t size = 0;
};

// Answers false and leaves `out` empty when the module has no such resource.
bool findResource(const char* type, int32_t id, ResourceData* out);

// The module's table, defined by the code that embeds the resources.
extern const ResourceEntry kModuleResources[];
extern const size_t kModuleResourceCount;

}  // namespace quillet::platform
