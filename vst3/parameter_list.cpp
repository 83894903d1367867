#include "vst3/parameter_list.h"

#include <cmath>

#include "vst3/factory_programs.h"
#include "vst3/parameter_ids.h"

namespace quillet::vst3 {

namespace {

constexpr ParameterRow rowOf(int32 index) {
  const QuilletParamSpec& param = kQuilletParams[index];
  return {
      param.id,
      index,
      param.name,
      param.label,
      param.stepCount(),
      param.defaultValue,
      ParameterInfo::kCanAutomate |
          (param.kind == ParamKind::Selector ? ParameterInfo::kIsList : ParameterInfo::kNoFlags)};
}

constexpr ParameterRow kRows[kParameterCount] = {
    rowOf(0),
    rowOf(1),
    rowOf(2),
    rowOf(3),
    rowOf(4),
    rowOf(5),
    rowOf(6),
    rowOf(7),
    rowOf(8),
    rowOf(9),
    rowOf(10),
    {kBypassParamId, -1, "Bypass", "", 1, 0.0,
     ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass},
    // Not automatable: a program change is the host's (its program menu, a
    // MIDI program change), not a line to draw.
    {kProgramParamId, -1, kProgramParamName, "", kProgramCount - 1, 0.0,
     ParameterInfo::kIsProgramChange | ParameterInfo::kIsList}};
static_assert(kNumQuilletParams == 11, "one row per parameter of the table");

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// "Bypass" reads and writes as the switches do.
constexpr int32 kSwitchLike = kParamMute;

bool isProgram(const ParameterRow& row) { return row.id == kProgramParamId; }

// Within `size`, cut where it must be.
bool copyText(const char* from, char* text, size_t size) {
  if (size == 0) return false;
  size_t i = 0;
  for (; from[i] && i + 1 < size; ++i) text[i] = from[i];
  text[i] = 0;
  return from[i] == 0;
}

bool sameName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
    const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

const ParameterRow* parameterAt(int32 listIndex) {
  return listIndex >= 0 && listIndex < kParameterCount ? &kRows[listIndex] : nullptr;
}

const ParameterRow* parameterById(ParamID id) {
  for (const ParameterRow& row : kRows)
    if (row.id == id) return &row;
  return nullptr;
}

bool parameterText(const ParameterRow& row, double value, const ParamTextContext& context,
                   char* text, size_t size) {
  if (std::isnan(value)) return false;
  if (isProgram(row)) return copyText(factoryProgram(programOfValue(value))->name, text, size);
  const auto v = static_cast<float>(clamp01(value));
  return formatParamText(row.index < 0 ? kSwitchLike : row.index, v, context, text, size);
}

bool parameterValue(const ParameterRow& row, const char* text, const ParamTextContext& context,
                    double* value) {
  if (isProgram(row)) {
    for (int32 program = 0; program < kProgramCount; ++program) {
      if (!sameName(text, factoryProgram(program)->name)) continue;
      *value = valueOfProgram(program);
      return true;
    }
    return false;
  }
  float parsed = 0.0f;
  if (!parseParamText(row.index < 0 ? kSwitchLike : row.index, text, context, &parsed))
    return false;
  *value = parsed;
  return true;
}

double plainOf(const ParameterRow& row, double normalized) {
  if (row.stepCount == 0 || std::isnan(normalized)) return normalized;
  if (isProgram(row)) return programOfValue(normalized);
  const auto v = static_cast<float>(clamp01(normalized));
  return paramPosition(row.index < 0 ? kSwitchLike : row.index, v);
}

double normalizedOf(const ParameterRow& row, double plain) {
  if (row.stepCount == 0 || std::isnan(plain)) return plain;
  const double position = std::round(plain);
  const int32 step = position < 0 ? 0 : static_cast<int32>(std::fmin(position, 64.0));
  if (isProgram(row)) return valueOfProgram(step);
  return paramValueOfPosition(row.index < 0 ? kSwitchLike : row.index, step);
}

}  // namespace quillet::vst3
