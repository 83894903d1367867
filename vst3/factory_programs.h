// The factory presets (core/factory_presets.h) as the VST3 edition offers
// them: one program list of the root unit, selected through the
// program-change parameter. The parameter's normalised value steps over the
// list, program k at k / (count - 1), as hosts count stepped parameters.
#pragma once

#include "core/factory_presets.h"
#include "vst3/interface/processor.h"
#include "vst3/interface/units.h"

namespace quillet::vst3 {

constexpr ProgramListID kFactoryProgramListId = 1;
constexpr ParamID kProgramParamId = 101;
constexpr int32 kProgramCount = core::kNumFactoryPresets;
constexpr const char* kProgramListName = "Factory Presets";
constexpr const char* kProgramParamName = "Preset";

static_assert(kProgramCount > 1, "a program change steps between at least two programs");

// The program a normalised value selects (clamped to the list); -1 for NaN.
int32 programOfValue(double normalized);
// The normalised value that selects `program`.
double valueOfProgram(int32 program);
// Null outside the list.
const core::FactoryPreset* factoryProgram(int32 program);
// Null for any other list.
inline const core::FactoryPreset* factoryProgram(ProgramListID list, int32 program) {
  return list == kFactoryProgramListId ? factoryProgram(program) : nullptr;
}

}  // namespace quillet::vst3
