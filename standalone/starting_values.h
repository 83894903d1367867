// The values the echo starts on, in this order: its defaults, the state
// file's (read by the caller), the factory preset of --preset, then each
// --set. Everything given is checked before anything is stored.
#pragma once

#include <string>
#include <vector>

#include "core/echo_core.h"
#include "core/factory_presets.h"

namespace quillet::standalone {

// A factory preset by its name or its symbol: exact first, then ignoring
// case; null when none has it.
const core::FactoryPreset* findPreset(const std::string& nameOrSymbol);

// Stores the preset (empty: none) and then the settings (`NAME=VALUE`, as
// quillet-host takes them) into the core. False, with a one-line message and
// nothing stored, when the preset is unknown or a setting is wrong.
bool applyPresetAndSets(quillet::core::EchoCore& core, const std::string& preset,
                        const std::vector<std::string>& sets, std::string* error);

}  // namespace quillet::standalone
