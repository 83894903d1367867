// Texts of the controller's parameters, value to text and back. For now the
// switches read "on"/"off", the selectors their position names and the knobs
// their normalised value; the core's musician's texts (echo time in ms,
// percentages, balance) take over when the core provides them.
#pragma once

#include <cstddef>

#include "vst3/interface/controller.h"

namespace quillet::vst3 {

struct ParameterFacts {
  ParamID id;
  const char* name;
  const char* label;
  int32 stepCount;
  double defaultValue;
  const char* const* positionNames;  // stepCount + 1 names, or null
};

int32 parameterCount();                          // the eleven and bypass
const ParameterFacts* parameterAt(int32 index);  // in list order; null outside
const ParameterFacts* parameterById(ParamID id);

// UTF-8 text of a value, NUL-terminated within `size`.
void formatValue(const ParameterFacts& p, double value, char* text, size_t size);
// False when the text means nothing for this parameter.
bool parseValue(const ParameterFacts& p, const char* text, double* value);

}  // namespace quillet::vst3
