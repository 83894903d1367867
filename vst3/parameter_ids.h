// VST3 parameter IDs. The echo's eleven keep their VST 2 indices as IDs (the
// core table's numeric ids), as Steinberg's guideline asks of a VST3 edition
// that replaces a VST 2 one, so automation recorded with QTAPG_x64 plays back.
// The bypass parameter, which VST3 hosts drive from their bypass button, sits
// apart from them.
#pragma once

#include "core/param_table.h"
#include "vst3/interface/processor.h"

namespace quillet::vst3 {

constexpr ParamID kBypassParamId = 100;

// The table's index for a parameter ID; -1 for bypass and unknown IDs.
constexpr int32 echoIndexOf(ParamID id) { return core::paramIndexForId(id); }

static_assert(core::paramIndexForId(kBypassParamId) < 0, "bypass has an ID of its own");

}  // namespace quillet::vst3
