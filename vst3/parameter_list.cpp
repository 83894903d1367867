#include "vst3/parameter_list.h"

#include <array>
#include <cmath>
#include <utility>

#include "vst3/parameter_ids.h"

namespace quillet::vst3 {

namespace {

// "Bypass", which hosts drive from their bypass button: a switch of our own,
// read and written as the table's switches are.
constexpr QuilletParamSpec kBypass = {
    "bypass",      kBypassParamId,       "Bypass", "",   0.0f, ParamKind::Switch,
    {"off", "on"}, TextStyle::Positions, false,    false};

constexpr ParameterRow rowOf(int32 index) {
  const QuilletParamSpec& param = kQuilletParams[index];
  return {
      &param, index,
      ParameterInfo::kCanAutomate |
          (param.kind == ParamKind::Selector ? ParameterInfo::kIsList : ParameterInfo::kNoFlags)};
}

template <size_t... Index>
constexpr std::array<ParameterRow, kParameterCount> listRows(std::index_sequence<Index...>) {
  return {rowOf(Index)...,
          ParameterRow{&kBypass, -1, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass}};
}

// The table's rows in its order, then bypass.
constexpr std::array<ParameterRow, kParameterCount> kRows =
    listRows(std::make_index_sequence<kNumQuilletParams>{});

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

}  // namespace

const ParameterRow* parameterAt(int32 listIndex) {
  return listIndex >= 0 && listIndex < kParameterCount ? &kRows[listIndex] : nullptr;
}

const ParameterRow* parameterById(ParamID id) {
  for (const ParameterRow& row : kRows)
    if (row.id() == id) return &row;
  return nullptr;
}

bool parameterText(const ParameterRow& row, double value, const ParamTextContext& context,
                   char* text, size_t size) {
  if (std::isnan(value)) return false;
  const auto v = static_cast<float>(clamp01(value));
  return formatParamText(*row.spec, v, context, text, size);
}

bool parameterValue(const ParameterRow& row, const char* text, const ParamTextContext& context,
                    double* value) {
  float parsed = 0.0f;
  if (!parseParamText(*row.spec, text, context, &parsed)) return false;
  *value = parsed;
  return true;
}

double plainOf(const ParameterRow& row, double normalized) {
  if (row.stepCount() == 0 || std::isnan(normalized)) return normalized;
  const auto v = static_cast<float>(clamp01(normalized));
  return positionOf(*row.spec, v);
}

double normalizedOf(const ParameterRow& row, double plain) {
  if (row.stepCount() == 0 || std::isnan(plain)) return plain;
  const double position = std::round(plain);
  return valueOfPosition(*row.spec,
                         position < 0 ? 0 : static_cast<int32>(std::fmin(position, 64.0)));
}

}  // namespace quillet::vst3
