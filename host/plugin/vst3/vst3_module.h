// A VST3 module loaded as a host loads it: the bundle's module for this
// system (NAME.vst3/Contents/x86_64-linux/NAME.so, .../x86_64-win/NAME.vst3,
// or a single-file Windows module), its entry call (ModuleEntry on Linux,
// InitDll on Windows where it exists), the factory and its class list.
// Unloaded in the reverse order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vst3/interface/factory.h"

namespace quillet::host::vst3 {

using namespace quillet::vst3;

// One class the factory lists, in its richest form.
struct Vst3Class {
  Uid cid;
  std::string category;
  std::string name;
  std::string subCategories;
  std::string vendor;
  std::string version;
  std::string sdkVersion;
  uint32 classFlags = 0;
  int32 cardinality = 0;
};

class Vst3Module {
 public:
  // Empty with a one-line `error` when the path holds no loadable module.
  static std::unique_ptr<Vst3Module> load(const std::string& path, std::string* error);
  ~Vst3Module();
  Vst3Module(const Vst3Module&) = delete;
  Vst3Module& operator=(const Vst3Module&) = delete;

  IPluginFactory* factory() const { return pluginFactory; }
  const PFactoryInfo& factoryInfo() const { return info; }
  const std::vector<Vst3Class>& classes() const { return classList; }
  const std::string& modulePath() const { return file; }
  // The first class of `category`; null when there is none.
  const Vst3Class* firstOf(const char* category) const;

 private:
  Vst3Module() = default;
  void* library = nullptr;
  bool entered = false;
  IPluginFactory* pluginFactory = nullptr;
  PFactoryInfo info{};
  std::vector<Vst3Class> classList;
  std::string file;
};

}  // namespace quillet::host::vst3
