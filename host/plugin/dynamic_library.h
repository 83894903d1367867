// Opening a shared library and finding a symbol in it, for each platform.
#pragma once

#include <string>

namespace quillet::host {

// Null on failure; `error` then holds the system's reason.
void* openLibrary(const std::string& path, std::string* error);
// Only symbols defined by the library itself, never ones it merely sees.
void* findSymbol(void* library, const char* name);
void closeLibrary(void* library);

}  // namespace quillet::host
