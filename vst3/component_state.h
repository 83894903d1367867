// The component's state as both the processor (IComponent::setState) and the
// controller (IEditController::setComponentState) read it: our own 44 bytes
// (see core/state_codec.h), or the state a host hands over from a project
// saved with the VST 2.4 edition (vst2_state.h). The bypass parameter is not
// part of our own state: hosts keep their bypass button's state themselves
// and restore it through the parameter. Only the VST 2 hand-over may carry
// one.
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
  StateValues values;  // clamped to 0..1, none NaN
  bool hasBypass = false;
  bool bypassed = false;
};

// False, and *out untouched, for anything that is not a state of ours: not
// exactly 44 bytes and no VST 2 record of QTAP, or any value NaN (a state is
// taken whole or not at all). Values out of 0..1 are clamped, as every
// edition restores a state.
bool readComponentState(const uint8_t* data, size_t size, ComponentState* out);

}  // namespace quillet::vst3
