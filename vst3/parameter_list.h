// The parameters as the controller lists them: the core table's eleven, with
// their VST 2.4 names and labels, IDs equal to their VST 2.4 indices, step
// counts (1 for the "n/y" switches, 2 for the two selectors) and defaults;
// then "Bypass", which hosts drive from their bypass button. Their texts are
// the core's musician's texts ("311.0 ms", "45.0 %", "L 40", "on", position
// names), both ways.
#pragma once

#include <cstddef>

#include "core/param_text.h"
#include "vst3/interface/controller.h"

namespace quillet::vst3 {

struct ParameterRow {
  ParamID id;
  int32 index;  // in the core table; -1 for "Bypass"
  const char* name;
  const char* label;
  int32 stepCount;
  double defaultValue;
  int32 flags;  // ParameterInfo::ParameterFlags
};

constexpr int32 kParameterCount = kNumQuilletParams + 1;

const ParameterRow* parameterAt(int32 listIndex);  // in list order; null outside
const ParameterRow* parameterById(ParamID id);

// The text of a normalised value (clamped to 0..1), NUL-terminated within
// `size`; false for NaN.
bool parameterText(const ParameterRow& row, double value, const ParamTextContext& context,
                   char* text, size_t size);
// The normalised value a text stands for; false for a text that is none.
bool parameterValue(const ParameterRow& row, const char* text, const ParamTextContext& context,
                    double* value);

// Stepped parameters count in positions (0 .. stepCount) as plain values,
// split where the echo splits them; continuous ones are plain 0..1. Both
// ways the answer stays in the range (values beyond it are clamped, NaN is
// the bottom of it).
double plainOf(const ParameterRow& row, double normalized);
double normalizedOf(const ParameterRow& row, double plain);

}  // namespace quillet::vst3
