#include "host/plugin/vst2/opened_plugin.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quillet::host {

bool openPlugin(const std::string& path, OpenedPlugin* plugin, std::string* error) {
  // The loader's own message for a missing file is obscure; say it plainly.
  FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(probe);
  std::string why;
  plugin->library = PluginLibrary::load(path, &why);
  if (!plugin->library) {
    *error = why;
    return false;
  }
  plugin->instance = openInstance(*plugin->library, &why);
  if (!plugin->instance) {
    *error = path + ": " + why;
    return false;
  }
  return true;
}

std::unique_ptr<PluginInstance> openInstance(const PluginLibrary& library, std::string* error) {
  auto instance = PluginInstance::create(library, error);
  if (instance) instance->dispatch(effOpen);
  return instance;
}

void startProcessing(PluginInstance& plugin, double sampleRate, VstInt32 blockSize) {
  plugin.host().setSampleRate(sampleRate);
  plugin.host().setBlockSize(blockSize);
  plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  plugin.dispatch(effSetBlockSize, 0, blockSize);
  plugin.dispatch(effMainsChanged, 0, 1);
  plugin.dispatch(effStartProcess);
}

void stopProcessing(PluginInstance& plugin) {
  plugin.dispatch(effStopProcess);
  plugin.dispatch(effMainsChanged, 0, 0);
}

}  // namespace quillet::host
