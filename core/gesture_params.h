// The parameters a panel gesture sets, by the tag of its control. Formats
// that announce gestures per parameter (LV2's touch, VST3, CLAP) bracket
// these; VST 2.4 passes the tag itself.
#pragma once

#include <cstdint>

#include "core/panel_host.h"
#include "core/param_table.h"

namespace quillet::core {

struct GestureParams {
  int32_t count;       // 0 for a control that sets no parameter (the note mode)
  int32_t indices[2];  // in the order the gesture sets them
};

// A parameter's own control sets that parameter; a note key sets "Delay",
// then "Range".
constexpr GestureParams gestureParams(int32_t tag) {
  if (tag >= 0 && tag < kNumQuilletParams) return GestureParams{1, {tag, 0}};
  if (tag >= kTagWholeNote && tag <= kTagThirtySecondNote)
    return GestureParams{2, {engine::kParamDelay, engine::kParamRange}};
  return GestureParams{0, {0, 0}};
}

}  // namespace quillet::core
