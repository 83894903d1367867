#include "host/plugin/dynamic_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#endif

namespace quillet::host {

#ifdef _WIN32

void* openLibrary(const std::string& path, std::string* error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module && error) *error = "LoadLibrary failed with error " + std::to_string(GetLastError());
  return reinterpret_cast<void*>(module);
}

void* findSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(void* library) {
  if (library) FreeLibrary(static_cast<HMODULE>(library));
}

#else

void* openLibrary(const std::string& path, std::string* error) {
  // A path without a slash would be searched for on the library path; a host
  // means the file it was given.
  std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle && error) {
    const char* reason = dlerror();
    *error = reason ? reason : "dlopen failed";
  }
  return handle;
}

void* findSymbol(void* library, const char* name) {
  void* symbol = dlsym(library, name);
  if (!symbol) return nullptr;
  // dlsym also finds symbols of the libraries this one depends on, and a
  // "main" found there would be some other program's.
  Dl_info info;
  link_map* map = nullptr;
  if (dladdr(symbol, &info) == 0 || dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map)
    return nullptr;
  return std::strcmp(info.dli_fname, map->l_name) == 0 ? symbol : nullptr;
}

void closeLibrary(void* library) {
  if (library) dlclose(library);
}

#endif

}  // namespace quillet::host
