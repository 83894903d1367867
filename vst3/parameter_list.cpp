#include "vst3/parameter_list.h"

#include <array>
#include <cmath>
#include <utility>

#include "vst3/factory_programs.h"
#include "vst3/parameter_ids.h"

namespace quillet::vst3 {

namespace {

// "Bypass", which hosts drive from their bypass button: a switch of our own,
// read and written as the table's switches are.
constexpr core::QuilletParamSpec kBypass = {"bypass",      kBypassParamId,
                                            "Bypass",      "",
                                            0.0f,          core::ParamKind::Switch,
                                            {"off", "on"}, core::TextStyle::Positions,
                                            false,         false};

// "Preset", the program change over the factory presets: its texts are the
// presets' names (see below), and it steps over them, not over the
// selector's three positions.
constexpr core::QuilletParamSpec kProgram = {"preset",
                                             kProgramParamId,
                                             kProgramParamName,
                                             "",
                                             0.0f,
                                             core::ParamKind::Selector,
                                             {},
                                             core::TextStyle::Positions,
                                             false,
                                             false};

constexpr ParameterRow rowOf(int32 index) {
  const core::QuilletParamSpec& param = core::kQuilletParams[index];
  return {&param, index,
          ParameterInfo::kCanAutomate |
              (param.kind == core::ParamKind::Selector ? ParameterInfo::kIsList
                                                       : ParameterInfo::kNoFlags),
          param.stepCount()};
}

template <size_t... Index>
constexpr std::array<ParameterRow, kParameterCount> listRows(std::index_sequence<Index...>) {
  return {rowOf(Index)...,
          ParameterRow{&kBypass, -1, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass,
                       kBypass.stepCount()},
          // Not automatable: a program change is the host's (its program
          // menu, a MIDI program change), not a line to draw.
          ParameterRow{&kProgram, -1, ParameterInfo::kIsProgramChange | ParameterInfo::kIsList,
                       kProgramCount - 1}};
}

// The table's rows in its order, then bypass and the program change.
constexpr std::array<ParameterRow, kParameterCount> kRows =
    listRows(std::make_index_sequence<core::kNumQuilletParams>{});

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

bool isProgram(const ParameterRow& row) { return row.param == &kProgram; }

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
    if (row.id() == id) return &row;
  return nullptr;
}

bool parameterText(const ParameterRow& row, double value, const core::ParamTextContext& context,
                   char* text, size_t size) {
  if (std::isnan(value)) return false;
  if (isProgram(row)) return copyText(factoryProgram(programOfValue(value))->name, text, size);
  const auto v = static_cast<float>(clamp01(value));
  return core::formatParamText(*row.param, v, context, text, size);
}

bool parameterValue(const ParameterRow& row, const char* text,
                    const core::ParamTextContext& context, double* value) {
  if (isProgram(row)) {
    for (int32 program = 0; program < kProgramCount; ++program) {
      if (!sameName(text, factoryProgram(program)->name)) continue;
      *value = valueOfProgram(program);
      return true;
    }
    return false;
  }
  float parsed = 0.0f;
  if (!core::parseParamText(*row.param, text, context, &parsed)) return false;
  *value = parsed;
  return true;
}

double plainOf(const ParameterRow& row, double normalized) {
  // Hosts may pass anything: NaN counts as the bottom of the range, the rest
  // is clamped to it.
  const double v = std::isnan(normalized) ? 0.0 : clamp01(normalized);
  if (row.stepCount() == 0) return v;
  if (isProgram(row)) return programOfValue(v);
  return core::positionOf(*row.param, static_cast<float>(v));
}

double normalizedOf(const ParameterRow& row, double plain) {
  if (std::isnan(plain)) plain = 0.0;
  if (row.stepCount() == 0) return clamp01(plain);
  const double position = std::round(plain);
  const int32 step = position < 0 ? 0 : static_cast<int32>(std::fmin(position, 64.0));
  if (isProgram(row)) return valueOfProgram(step);
  return core::valueOfPosition(*row.param, step);
}

}  // namespace quillet::vst3
