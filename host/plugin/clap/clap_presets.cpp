#include "host/plugin/clap/clap_presets.h"

#include <cstring>

namespace quillet::host {
namespace {

struct Location {
  uint32_t flags;
  std::string name;
  uint32_t kind;
  bool hasPath;
  std::string path;
};

// What one provider declares through the indexer.
struct Indexing {
  std::vector<Location> locations;
};

const clap_preset_discovery_indexer_t* makeIndexer(Indexing* indexing,
                                                   clap_preset_discovery_indexer_t* indexer) {
  *indexer = {};
  indexer->clap_version = {1, 2, 0};
  indexer->name = "quillet-host";
  indexer->vendor = "Marrow Ledge";
  indexer->url = "";
  indexer->version = "1";
  indexer->indexer_data = indexing;
  indexer->declare_filetype = [](const clap_preset_discovery_indexer_t*,
                                 const clap_preset_discovery_filetype_t* filetype) {
    return filetype != nullptr;
  };
  indexer->declare_location = [](const clap_preset_discovery_indexer_t* self,
                                 const clap_preset_discovery_location_t* location) {
    if (location == nullptr) return false;
    auto* into = static_cast<Indexing*>(self->indexer_data);
    into->locations.push_back({location->flags, location->name ? location->name : "",
                               location->kind, location->location != nullptr,
                               location->location ? location->location : ""});
    return true;
  };
  indexer->declare_soundpack = [](const clap_preset_discovery_indexer_t*,
                                  const clap_preset_discovery_soundpack_t* soundpack) {
    return soundpack != nullptr;
  };
  indexer->get_extension = [](const clap_preset_discovery_indexer_t*, const char*) -> const void* {
    return nullptr;
  };
  return indexer;
}

// Collects the presets one location reports.
struct Receiving {
  const Location* location;
  std::string provider;
  std::vector<ClapPreset>* presets;
  std::string error;
};

clap_preset_discovery_metadata_receiver_t makeReceiver(Receiving* receiving) {
  clap_preset_discovery_metadata_receiver_t r{};
  r.receiver_data = receiving;
  r.on_error = [](const clap_preset_discovery_metadata_receiver_t* self, int32_t,
                  const char* message) {
    static_cast<Receiving*>(self->receiver_data)->error = message ? message : "an error";
  };
  r.begin_preset = [](const clap_preset_discovery_metadata_receiver_t* self, const char* name,
                      const char* key) {
    auto* into = static_cast<Receiving*>(self->receiver_data);
    ClapPreset preset;
    preset.provider = into->provider;
    preset.kind = into->location->kind;
    preset.hasLocation = into->location->hasPath;
    preset.location = into->location->path;
    preset.name = name ? name : "";
    preset.loadKey = key ? key : "";
    preset.flags = into->location->flags;
    into->presets->push_back(preset);
    return true;
  };
  r.add_plugin_id = [](const clap_preset_discovery_metadata_receiver_t* self,
                       const clap_universal_plugin_id_t* id) {
    auto* into = static_cast<Receiving*>(self->receiver_data);
    if (id && id->abi && id->id && !into->presets->empty())
      into->presets->back().pluginIds.push_back(std::string(id->abi) + ":" + id->id);
  };
  r.set_soundpack_id = [](const clap_preset_discovery_metadata_receiver_t*, const char*) {};
  r.set_flags = [](const clap_preset_discovery_metadata_receiver_t* self, uint32_t flags) {
    auto* into = static_cast<Receiving*>(self->receiver_data);
    if (!into->presets->empty()) into->presets->back().flags = flags;
  };
  r.add_creator = [](const clap_preset_discovery_metadata_receiver_t* self, const char* creator) {
    auto* into = static_cast<Receiving*>(self->receiver_data);
    if (creator && !into->presets->empty()) into->presets->back().creators.push_back(creator);
  };
  r.set_description = [](const clap_preset_discovery_metadata_receiver_t*, const char*) {};
  r.set_timestamps = [](const clap_preset_discovery_metadata_receiver_t*, clap_timestamp,
                        clap_timestamp) {};
  r.add_feature = [](const clap_preset_discovery_metadata_receiver_t*, const char*) {};
  r.add_extra_info = [](const clap_preset_discovery_metadata_receiver_t*, const char*,
                        const char*) {};
  return r;
}

}  // namespace

bool discoverClapPresets(const ClapModule& module, std::vector<ClapPreset>* presets,
                         std::string* error) {
  const clap_preset_discovery_factory_t* factory = module.presetFactory();
  if (!factory) {
    *error = module.path() + ": no preset-discovery factory";
    return false;
  }
  const uint32_t count = factory->count(factory);
  for (uint32_t p = 0; p < count; ++p) {
    const clap_preset_discovery_provider_descriptor_t* desc = factory->get_descriptor(factory, p);
    if (!desc || !desc->id) continue;
    Indexing indexing;
    clap_preset_discovery_indexer_t indexer;
    const clap_preset_discovery_provider_t* provider =
        factory->create(factory, makeIndexer(&indexing, &indexer), desc->id);
    if (!provider) {
      *error = std::string("the preset provider ") + desc->id + " was not made";
      return false;
    }
    bool ok = provider->init(provider);
    for (const Location& location : indexing.locations) {
      if (!ok) break;
      Receiving receiving{&location, desc->name ? desc->name : desc->id, presets, ""};
      const clap_preset_discovery_metadata_receiver_t receiver = makeReceiver(&receiving);
      ok = provider->get_metadata(provider, location.kind,
                                  location.hasPath ? location.path.c_str() : nullptr, &receiver) &&
           receiving.error.empty();
      if (!ok)
        *error = "location \"" + location.name +
                 "\": " + (receiving.error.empty() ? "get_metadata failed" : receiving.error);
    }
    provider->destroy(provider);
    if (!ok) {
      if (error->empty()) *error = std::string("the preset provider ") + desc->id + " failed";
      return false;
    }
  }
  return true;
}

const ClapPreset* findClapPreset(const std::vector<ClapPreset>& presets, const std::string& key) {
  for (const ClapPreset& p : presets)
    if (p.name == key) return &p;
  for (const ClapPreset& p : presets)
    if (p.loadKey == key) return &p;
  return nullptr;
}

bool loadClapPreset(ClapInstance& instance, const ClapPreset& preset, std::string* error) {
  auto* load = instance.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
  if (!load) load = instance.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD_COMPAT);
  if (!load) {
    *error = "the plug-in has no preset-load extension";
    return false;
  }
  if (!load->from_location(instance.plugin(), preset.kind,
                           preset.hasLocation ? preset.location.c_str() : nullptr,
                           preset.loadKey.c_str())) {
    *error = "the plug-in did not load the preset \"" + preset.name + "\"";
    return false;
  }
  return true;
}

}  // namespace quillet::host
