// The component's state as both the processor (IComponent::setState) and the
// controller (IEditController::setComponentState) read it:
//  - what the processor saves: the 44 bytes of every edition (see
//    core/state_codec.h), then the bypass as a 45th to 48th byte, one more
//    little-endian float (0 or 1), since hosts that leave the bypass to the
//    plug-in reopen a project as it was saved only if the state holds it;
//  - the 44 bytes alone (states saved before the bypass was kept, and the
//    factory presets, which leave the bypass as it is);
//  - the state a host hands over from a project saved with the VST 2.4
//    edition (vst2_state.h), which may carry a bypass of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/state_codec.h"

namespace quillet::vst3 {

// The most a state stream may hold: our state is 44 bytes and a VST 2 bank
// of Quillet's programs far less than this; anything longer is refused
// before it is read whole.
constexpr size_t kMaxStateStreamBytes = size_t{1} << 20;

struct ComponentState {
  core::StateValues values;  // clamped to 0..1, none NaN
  bool hasBypass = false;
  bool bypassed = false;
};

// Bytes the processor saves.
constexpr size_t kStateWithBypassBytes = core::kStateBytes + 4;

// Writes the processor's state: the values, then the bypass.
void writeComponentState(const uint8_t values[core::kStateBytes], bool bypassed,
                         uint8_t out[kStateWithBypassBytes]);

// False, and *out untouched, for anything that is not a state of ours: not
// 44 or 48 bytes and no VST 2 record of QTAP, or any value NaN (a state is
// taken whole or not at all). Values out of 0..1 are clamped, as every
// edition restores a state; the bypass is on above one half.
bool readComponentState(const uint8_t* data, size_t size, ComponentState* out);

}  // namespace quillet::vst3
