// The descriptor of the one plug-in in the module, and the plug-in factory
// hosts list and create it through.
#pragma once

#include "clap/interface/clap_plugin.h"

namespace quillet::clap {

const clap_plugin_descriptor_t& pluginDescriptor();
const clap_plugin_factory_t& pluginFactory();

}  // namespace quillet::clap
