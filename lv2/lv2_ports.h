// Port numbers of the LV2 plug-in. The eleven parameters come first, with the
// port index equal to the parameter index; hosts and the UI rely on this order.
#pragma once

#include <cstdint>

#include "core/identity.h"
#include "core/param_table.h"

namespace quillet::lv2 {

constexpr uint32_t kPortInL = core::kNumQuilletParams;  // 11
constexpr uint32_t kPortInR = kPortInL + 1;
constexpr uint32_t kPortOutL = kPortInL + 2;
constexpr uint32_t kPortOutR = kPortInL + 3;
constexpr uint32_t kPortControl = kPortInL + 4;    // atom sequence with the host's time:Position
constexpr uint32_t kPortHostTempo = kPortInL + 5;  // the last tempo seen, 0 without one
constexpr uint32_t kNumPorts = kPortInL + 6;

// From the product's identity (cmake/identity.cmake).
inline constexpr auto& kPluginUri = quillet::core::identity::kLv2PluginUri;
inline constexpr auto& kUiUri = quillet::core::identity::kLv2UiUri;
inline constexpr auto& kPresetUriPrefix = quillet::core::identity::kLv2PresetUriPrefix;

}  // namespace quillet::lv2
