// The factory presets for hosts that browse presets: one provider whose one
// location is the plug-in itself (no files), listing the nine presets of the
// shared list with their symbols as load keys; preset-load takes a symbol
// back.
#pragma once

#include "clap/interface/clap_presets.h"
#include "core/factory_presets.h"

namespace quillet::clap {

const clap_preset_discovery_factory_t& presetDiscoveryFactory();

// The factory preset with this symbol, or null.
const core::FactoryPreset* findFactoryPreset(const char* loadKey);

}  // namespace quillet::clap
