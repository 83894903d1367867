#include "clap/preset_provider.h"

#include <cstring>
#include <new>
#include <string_view>

#include "core/identity.h"

namespace quillet::clap {
namespace {

namespace identity = quillet::core::identity;

// The provider's id is permanent once shipped: hosts key their preset
// databases by it.
constexpr char kPresetProviderId[] = "com.marrowledge.quillet-k3.factory-presets";
constexpr char kPresetProviderName[] = "Quillet K3 factory presets";
static_assert(std::string_view(kPresetProviderId).substr(0, sizeof(identity::kClapId) - 1) ==
                  identity::kClapId,
              "the provider's id extends the plug-in's");

const clap_preset_discovery_provider_descriptor_t kProviderDescriptor = {
    QCLAP_VERSION_INIT, kPresetProviderId, kPresetProviderName, identity::kVendor};

const clap_preset_discovery_location_t kFactoryLocation = {
    CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT, "Factory presets",
    CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr};

const clap_universal_plugin_id_t kOwnId = {"clap", identity::kClapId};

bool declareLocations(const clap_preset_discovery_provider_t* provider) {
  const auto* indexer =
      static_cast<const clap_preset_discovery_indexer_t*>(provider->provider_data);
  return indexer->declare_location != nullptr &&
         indexer->declare_location(indexer, &kFactoryLocation);
}

bool reportPresets(uint32_t kind, const char* location,
                   const clap_preset_discovery_metadata_receiver_t* receiver) {
  if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || location != nullptr || receiver == nullptr ||
      receiver->begin_preset == nullptr) {
    return false;
  }
  for (const core::FactoryPreset& preset : core::kFactoryPresets) {
    if (!receiver->begin_preset(receiver, preset.name, preset.symbol)) break;
    if (receiver->add_plugin_id != nullptr) receiver->add_plugin_id(receiver, &kOwnId);
    if (receiver->set_flags != nullptr) {
      receiver->set_flags(receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
    }
    if (receiver->add_creator != nullptr) receiver->add_creator(receiver, identity::kVendor);
  }
  return true;
}

const clap_preset_discovery_provider_t* createProvider(
    const clap_preset_discovery_indexer_t* indexer, const char* providerId) {
  if (indexer == nullptr || providerId == nullptr ||
      std::strcmp(providerId, kPresetProviderId) != 0) {
    return nullptr;
  }
  auto* provider = new (std::nothrow) clap_preset_discovery_provider_t{};
  if (provider == nullptr) return nullptr;
  provider->desc = &kProviderDescriptor;
  provider->provider_data = const_cast<clap_preset_discovery_indexer_t*>(indexer);
  provider->init = declareLocations;
  provider->destroy = [](const clap_preset_discovery_provider_t* p) { delete p; };
  provider->get_metadata = [](const clap_preset_discovery_provider_t*, uint32_t kind,
                              const char* location,
                              const clap_preset_discovery_metadata_receiver_t* receiver) {
    return reportPresets(kind, location, receiver);
  };
  provider->get_extension = [](const clap_preset_discovery_provider_t*,
                               const char*) -> const void* { return nullptr; };
  return provider;
}

const clap_preset_discovery_factory_t kFactory = {
    [](const clap_preset_discovery_factory_t*) -> uint32_t { return 1; },
    [](const clap_preset_discovery_factory_t*,
       uint32_t index) -> const clap_preset_discovery_provider_descriptor_t* {
      return index == 0 ? &kProviderDescriptor : nullptr;
    },
    [](const clap_preset_discovery_factory_t*, const clap_preset_discovery_indexer_t* indexer,
       const char* providerId) { return createProvider(indexer, providerId); },
};

}  // namespace

const clap_preset_discovery_factory_t& presetDiscoveryFactory() { return kFactory; }

const core::FactoryPreset* findFactoryPreset(const char* loadKey) {
  if (loadKey == nullptr) return nullptr;
  for (const core::FactoryPreset& preset : core::kFactoryPresets) {
    if (std::strcmp(preset.symbol, loadKey) == 0) return &preset;
  }
  return nullptr;
}

}  // namespace quillet::clap
