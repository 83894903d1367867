// A plug-in library and one instance of it, opened (effOpen) and ready to be
// set up, as a host holds it; closed and unloaded in the right order.
#pragma once

#include <memory>
#include <string>

#include "host/plugin/vst2/plugin_host.h"

namespace quillet::host {

struct OpenedPlugin {
  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> instance;  // destroyed first

  PluginInstance& operator*() { return *instance; }
  PluginInstance* operator->() { return instance.get(); }
};

// False with a one-line `error` for a missing or unreadable file, a library
// that does not load, or one that is no VST 2.4 plug-in.
bool openPlugin(const std::string& path, OpenedPlugin* plugin, std::string* error);

// Another instance of an already loaded library, opened.
std::unique_ptr<PluginInstance> openInstance(const PluginLibrary& library, std::string* error);

// Sample rate, block size, switched on: ready to process.
void startProcessing(PluginInstance& plugin, double sampleRate, VstInt32 blockSize);
void stopProcessing(PluginInstance& plugin);

}  // namespace quillet::host
