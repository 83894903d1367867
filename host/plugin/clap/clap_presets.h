// Presets as a CLAP host's browser finds them: every provider of the module's
// preset-discovery factory, given an indexer that takes their locations, asked
// for the presets of each location it declared; and loading one through the
// plug-in's preset-load extension.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/plugin/clap/clap_instance.h"

namespace quillet::host {

struct ClapPreset {
  std::string provider;  // the provider's name
  uint32_t kind = 0;     // the location's kind (file or inside the plug-in)
  bool hasLocation = false;
  std::string location;  // a path, for file locations
  std::string name;
  std::string loadKey;
  uint32_t flags = 0;                  // the location's, overridden by the preset's own
  std::vector<std::string> pluginIds;  // "abi:id" of the plug-ins it is for
  std::vector<std::string> creators;
};

// False with a one-line `error` when the module has no preset-discovery
// factory or a provider fails to start or to report a location.
bool discoverClapPresets(const ClapModule& module, std::vector<ClapPreset>* presets,
                         std::string* error);

// The preset whose name or load key is `key` (name first), or null.
const ClapPreset* findClapPreset(const std::vector<ClapPreset>& presets, const std::string& key);

// Loads through preset-load on the main thread; false with `error` when the
// plug-in has no preset-load or refuses.
bool loadClapPreset(ClapInstance& instance, const ClapPreset& preset, std::string* error);

}  // namespace quillet::host
