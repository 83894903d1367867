#include "vst3/component_state.h"

#include <cmath>
#include <cstring>

#include "core/identity.h"
#include "core/param_value.h"
#include "vst3/vst2_state.h"

namespace quillet::vst3 {

void writeComponentState(const uint8_t values[core::kStateBytes], bool bypassed,
                         uint8_t out[kStateWithBypassBytes]) {
  std::memcpy(out, values, core::kStateBytes);
  const float bypass = bypassed ? 1.0f : 0.0f;
  uint32_t bits = 0;
  std::memcpy(&bits, &bypass, sizeof bits);
  for (int i = 0; i < 4; ++i) out[core::kStateBytes + i] = static_cast<uint8_t>(bits >> (8 * i));
}

bool readComponentState(const uint8_t* data, size_t size, ComponentState* out) {
  if (!data || !out) return false;
  ComponentState read;
  const uint8_t* state = data;
  Vst2Handover handover;
  if (startsAsVst2State(data, size)) {
    if (!readVst2State(data, size, static_cast<uint32_t>(core::identity::kVst2UniqueId), &handover))
      return false;
    state = handover.state;
    read.hasBypass = handover.hasBypass;
    read.bypassed = handover.bypassed;
  } else if (size == kStateWithBypassBytes) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
      bits |= static_cast<uint32_t>(data[core::kStateBytes + i]) << (8 * i);
    float bypass = 0.0f;
    std::memcpy(&bypass, &bits, sizeof bypass);
    if (std::isnan(bypass)) return false;
    read.hasBypass = true;
    read.bypassed = bypass > 0.5f;
  } else if (size != core::kStateBytes) {
    return false;
  }
  core::decodeState(state, read.values);
  for (float& v : read.values) {
    if (std::isnan(v)) return false;
    v = core::clampStoredValue(v);
  }
  *out = read;
  return true;
}

}  // namespace quillet::vst3
