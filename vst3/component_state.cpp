#include "vst3/component_state.h"

#include <cmath>

#include "core/identity.h"
#include "core/param_value.h"
#include "vst3/vst2_state.h"

namespace quillet::vst3 {

bool readComponentState(const uint8_t* data, size_t size, ComponentState* out) {
  if (!data || !out) return false;
  ComponentState read;
  const uint8_t* state = data;
  Vst2Handover handover;
  if (startsAsVst2State(data, size)) {
    if (!readVst2State(data, size, static_cast<uint32_t>(identity::kVst2UniqueId), &handover))
      return false;
    state = handover.state;
    read.hasBypass = handover.hasBypass;
    read.bypassed = handover.bypassed;
  } else if (size != kStateBytes) {
    return false;
  }
  decodeState(state, read.values);
  for (float& v : read.values) {
    if (std::isnan(v)) return false;
    v = clampStoredValue(v);
  }
  *out = read;
  return true;
}

}  // namespace quillet::vst3
