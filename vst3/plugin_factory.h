// The module's factory: two classes, the echo's processor ("Audio Module
// Class", subcategory "Fx|Delay") and its controller. One object for the whole
// module, never deleted; the host's references only count.
#pragma once

#include "vst3/interface/factory.h"

namespace quillet::vst3 {

// The factory GetPluginFactory hands out, with one more reference taken.
IPluginFactory* pluginFactory();

}  // namespace quillet::vst3
