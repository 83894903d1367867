// The parameters as the controller lists them: the core table's eleven, with
// their VST 2.4 names and labels, IDs equal to their VST 2.4 indices, step
// counts (1 for the "n/y" switches, 2 for the two selectors) and defaults;
// then "Bypass", which hosts drive from their bypass button, and "Preset",
// the program change of the factory presets (a list of their names). Their
// texts are the core's musician's texts ("311.0 ms", "45.0 %", "L 40", "on",
// position names) and the presets' names, both ways.
#pragma once

#include <cstddef>

#include "core/param_text.h"
#include "vst3/interface/controller.h"

namespace quillet::vst3 {

struct ParameterRow {
  const core::QuilletParamSpec*
      param;    // the core table's row, or the bypass's or the program's own
  int32 index;  // in the core table; -1 for "Bypass" and "Preset"
  int32 flags;  // ParameterInfo::ParameterFlags
  int32 steps;  // the param's, but the program change's: one per preset
  ParamID id() const { return param->id; }
  int32 stepCount() const { return steps; }
};

constexpr int32 kParameterCount = core::kNumQuilletParams + 2;
// List positions of the two beyond the table.
constexpr int32 kBypassSlot = core::kNumQuilletParams;
constexpr int32 kProgramSlot = core::kNumQuilletParams + 1;

const ParameterRow* parameterAt(int32 listIndex);  // in list order; null outside
const ParameterRow* parameterById(ParamID id);

// The text of a normalised value (clamped to 0..1), NUL-terminated within
// `size`; false for NaN.
bool parameterText(const ParameterRow& row, double value, const core::ParamTextContext& context,
                   char* text, size_t size);
// The normalised value a text stands for; false for a text that is none.
bool parameterValue(const ParameterRow& row, const char* text,
                    const core::ParamTextContext& context, double* value);

// Stepped parameters count in positions (0 .. stepCount) as plain values,
// split where the echo splits them; continuous ones are plain 0..1. Both
// ways the answer stays in the range (values beyond it are clamped, NaN is
// the bottom of it).
double plainOf(const ParameterRow& row, double normalized);
double normalizedOf(const ParameterRow& row, double plain);

}  // namespace quillet::vst3
