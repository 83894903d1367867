#include "vst3/parameter_list.h"

#include <cmath>

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
     ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass}};
static_assert(kNumQuilletParams == 11, "one row per parameter of the table");

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// "Bypass" reads and writes as the switches do.
constexpr int32 kSwitchLike = kParamMute;

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
  const auto v = static_cast<float>(clamp01(value));
  return formatParamText(row.index < 0 ? kSwitchLike : row.index, v, context, text, size);
}

bool parameterValue(const ParameterRow& row, const char* text, const ParamTextContext& context,
                    double* value) {
  float parsed = 0.0f;
  if (!parseParamText(row.index < 0 ? kSwitchLike : row.index, text, context, &parsed))
    return false;
  *value = parsed;
  return true;
}

double plainOf(const ParameterRow& row, double normalized) {
  // Hosts may pass anything: NaN counts as the bottom of the range, the rest
  // is clamped to it.
  const double v = std::isnan(normalized) ? 0.0 : clamp01(normalized);
  if (row.stepCount == 0) return v;
  return paramPosition(row.index < 0 ? kSwitchLike : row.index, static_cast<float>(v));
}

double normalizedOf(const ParameterRow& row, double plain) {
  if (std::isnan(plain)) plain = 0.0;
  if (row.stepCount == 0) return clamp01(plain);
  const double position = std::round(plain);
  return paramValueOfPosition(row.index < 0 ? kSwitchLike : row.index,
                              position < 0 ? 0 : static_cast<int32>(std::fmin(position, 64.0)));
}

}  // namespace quillet::vst3
