// Loads a built plug-in library once per test process and makes instances
// through its entry point, the way a host does.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "host/plugin/vst2/plugin_host.h"

struct PluginBuild {
  const char* path;
  const char* name;  // effect and product name
  bool hasEditor;
};

inline std::ostream& operator<<(std::ostream& os, const PluginBuild& b) { return os << b.path; }

inline const quillet::host::PluginLibrary& loadedLibrary(const std::string& path) {
  static std::map<std::string, std::unique_ptr<quillet::host::PluginLibrary>> libraries;
  auto& slot = libraries[path];
  if (!slot) {
    std::string error;
    slot = quillet::host::PluginLibrary::load(path, &error);
    if (!slot) ADD_FAILURE() << "cannot load " << path << ": " << error;
  }
  return *slot;
}

inline std::unique_ptr<quillet::host::PluginInstance> makeInstance(const std::string& path) {
  std::string error;
  auto instance = quillet::host::PluginInstance::create(loadedLibrary(path), &error);
  if (!instance) ADD_FAILURE() << "no instance of " << path << ": " << error;
  return instance;
}

// A text from a dispatcher opcode that writes into a host buffer.
inline std::string textOf(quillet::host::PluginInstance& p, VstInt32 opcode, VstInt32 index = 0) {
  char text[128];
  std::memset(text, 0, sizeof(text));
  p.dispatch(opcode, index, 0, text);
  return text;
}
