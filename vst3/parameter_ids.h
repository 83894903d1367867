// VST3 parameter IDs. The echo's eleven keep their VST 2 indices as IDs, as
// Steinberg's guideline asks of a VST3 edition that replaces a VST 2 one, so
// automation recorded with QTAPG_x64 plays back. The bypass parameter, which
// VST3 hosts drive from their bypass button, sits apart from them.
#pragma once

#include "vst3/echo_core_link.h"
#include "vst3/interface/processor.h"

namespace quillet::vst3 {

constexpr ParamID kBypassParamId = 100;

constexpr bool isEchoParamId(ParamID id) { return id < static_cast<ParamID>(kEchoParamCount); }

}  // namespace quillet::vst3
