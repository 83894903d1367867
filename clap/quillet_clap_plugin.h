// One Quillet K3 instance as a CLAP host sees it: the plug-in object with its
// extensions, glue between the host's calls and the effect behind the seam.
#pragma once

#include "clap/abi/clap_plugin.h"

namespace quillet_clap {

// A new instance for this host (null when memory is short); the host frees
// it with plugin->destroy.
const clap_plugin_t* createQuilletPlugin(const clap_host_t* host);

}  // namespace quillet_clap
