#include "host/plugin/vst3/vst3_module.h"

#include <sys/stat.h>

#include <cstring>

#include "host/plugin/dynamic_library.h"

namespace quillet::host::vst3 {

namespace {

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR;
}

// The module inside a bundle for this system, or the path itself for a
// single-file module.
std::string moduleFile(const std::string& path) {
  const std::string bundle = withoutTrailingSlash(path);
  if (!isDirectory(bundle)) return bundle;
  const size_t slash = bundle.find_last_of("/\\");
  std::string name = slash == std::string::npos ? bundle : bundle.substr(slash + 1);
  name = name.substr(0, name.size() - 5);  // without ".vst3"
#if defined(_WIN32)
  return bundle + "/Contents/x86_64-win/" + name + ".vst3";
#elif defined(__aarch64__)
  return bundle + "/Contents/aarch64-linux/" + name + ".so";
#else
  return bundle + "/Contents/x86_64-linux/" + name + ".so";
#endif
}

template <size_t N>
std::string text(const char8 (&from)[N]) {
  return std::string(from, strnlen(from, N));
}

template <size_t N>
std::string text(const char16 (&from)[N]) {
  std::string out;
  for (size_t i = 0; i < N && from[i]; ++i)
    out.push_back(from[i] < 0x80 ? static_cast<char>(from[i]) : '?');
  return out;
}

template <class I>
I* query(FUnknown* object) {
  void* obj = nullptr;
  return object->queryInterface(I::iid.bytes, &obj) == kResultOk ? static_cast<I*>(obj) : nullptr;
}

}  // namespace

std::unique_ptr<Vst3Module> Vst3Module::load(const std::string& path, std::string* error) {
  std::unique_ptr<Vst3Module> module(new Vst3Module);
  module->file = moduleFile(path);
  std::string why;
  module->library = openLibrary(module->file, &why);
  if (!module->library) {
    *error = "cannot load " + module->file + ": " + why;
    return nullptr;
  }
#if defined(_WIN32)
  // Optional on Windows.
  if (auto init = reinterpret_cast<bool (*)()>(findSymbol(module->library, "InitDll"))) {
    if (!init()) {
      *error = module->file + ": InitDll failed";
      return nullptr;
    }
    module->entered = true;
  }
#else
  // Mandatory on Linux: hosts refuse a module without it.
  auto entry = reinterpret_cast<bool (*)(void*)>(findSymbol(module->library, "ModuleEntry"));
  if (!entry) {
    *error = module->file + " has no ModuleEntry";
    return nullptr;
  }
  if (!entry(module->library)) {
    *error = module->file + ": ModuleEntry failed";
    return nullptr;
  }
  module->entered = true;
#endif
  auto getFactory =
      reinterpret_cast<GetFactoryProc>(findSymbol(module->library, "GetPluginFactory"));
  if (!getFactory || !(module->pluginFactory = getFactory())) {
    *error = module->file + " hands out no plug-in factory";
    return nullptr;
  }
  IPluginFactory* factory = module->pluginFactory;
  factory->getFactoryInfo(&module->info);
  IPluginFactory2* factory2 = query<IPluginFactory2>(factory);
  IPluginFactory3* factory3 = query<IPluginFactory3>(factory);
  for (int32 i = 0; i < factory->countClasses(); ++i) {
    Vst3Class c;
    PClassInfo basic{};
    if (factory->getClassInfo(i, &basic) != kResultOk) continue;
    std::memcpy(c.cid.bytes, basic.cid, 16);
    c.category = text(basic.category);
    c.name = text(basic.name);
    c.cardinality = basic.cardinality;
    PClassInfo2 second{};
    if (factory2 && factory2->getClassInfo2(i, &second) == kResultOk) {
      c.subCategories = text(second.subCategories);
      c.vendor = text(second.vendor);
      c.version = text(second.version);
      c.sdkVersion = text(second.sdkVersion);
      c.classFlags = second.classFlags;
    }
    PClassInfoW third{};
    if (factory3 && factory3->getClassInfoUnicode(i, &third) == kResultOk) {
      c.name = text(third.name);
      c.vendor = text(third.vendor);
    }
    module->classList.push_back(c);
  }
  if (factory2) factory2->release();
  if (factory3) factory3->release();
  return module;
}

Vst3Module::~Vst3Module() {
  if (pluginFactory) pluginFactory->release();
  if (library && entered) {
#if defined(_WIN32)
    if (auto exitDll = reinterpret_cast<bool (*)()>(findSymbol(library, "ExitDll"))) exitDll();
#else
    if (auto exitModule = reinterpret_cast<bool (*)()>(findSymbol(library, "ModuleExit")))
      exitModule();
#endif
  }
  closeLibrary(library);
}

const Vst3Class* Vst3Module::firstOf(const char* category) const {
  for (const Vst3Class& c : classList)
    if (c.category == category) return &c;
  return nullptr;
}

}  // namespace quillet::host::vst3
