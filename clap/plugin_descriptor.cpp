#include "clap/plugin_descriptor.h"

#include <cstring>

#include "clap/quillet_plugin.h"
#include "core/identity.h"

namespace quillet::clap {
namespace {

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_DELAY,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};

namespace identity = quillet::core::identity;

const clap_plugin_descriptor_t kDescriptor = {
    QCLAP_VERSION_INIT,
    identity::kClapId,
    identity::kProductName,
    identity::kVendor,
    identity::kUrl,
    "",  // no manual online
    "",  // no support page
    identity::kVersion,
    identity::kDescription,
    kFeatures,
};

const clap_plugin_factory_t kFactory = {
    [](const clap_plugin_factory_t*) -> uint32_t { return 1; },
    [](const clap_plugin_factory_t*, uint32_t index) -> const clap_plugin_descriptor_t* {
      return index == 0 ? &kDescriptor : nullptr;
    },
    [](const clap_plugin_factory_t*, const clap_host_t* host,
       const char* pluginId) -> const clap_plugin_t* {
      if (host == nullptr || pluginId == nullptr || std::strcmp(pluginId, identity::kClapId) != 0 ||
          !qclap_version_is_compatible(host->clap_version)) {
        return nullptr;
      }
      return createQuilletPlugin(host);
    },
};

}  // namespace

const clap_plugin_descriptor_t& pluginDescriptor() { return kDescriptor; }
const clap_plugin_factory_t& pluginFactory() { return kFactory; }

}  // namespace quillet::clap
