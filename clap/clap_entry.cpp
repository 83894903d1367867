// The module's only export, clap_entry: the plug-in factory and the preset
// discovery factory (under its stable id and the last draft's).
#include <cstring>

#include "clap/interface/clap_plugin.h"
#include "clap/interface/clap_presets.h"
#include "clap/plugin_descriptor.h"
#include "clap/preset_provider.h"

namespace {

// Nothing to set up or tear down: every table is constant, so repeated or
// unmatched init/deinit calls (allowed since CLAP 1.2) cost nothing.
bool entryInit(const char*) { return true; }
void entryDeinit() {}

const void* entryFactory(const char* id) {
  if (id == nullptr) return nullptr;
  if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0) return &quillet::clap::pluginFactory();
  if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
      std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0) {
    return &quillet::clap::presetDiscoveryFactory();
  }
  return nullptr;
}

}  // namespace

// Exported by the version script (Linux) or the module-definition file
// (Windows), which list nothing else.
extern "C" {
__attribute__((visibility("default"))) extern const clap_plugin_entry_t clap_entry = {
    QCLAP_VERSION_INIT, entryInit, entryDeinit, entryFactory};
}
