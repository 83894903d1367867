#include "vst3/parameter_text.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/param_table.h"
#include "vst3/parameter_ids.h"

namespace quillet::vst3 {

namespace {

const char* const kOnOff[] = {"off", "on"};

int32 stepsOf(ParamKind kind) {
  switch (kind) {
    case ParamKind::Switch:
      return 1;
    case ParamKind::ThreeWay:
      return 2;
    default:
      return 0;
  }
}

struct Table {
  ParameterFacts rows[kNumQuilletParams + 1];
  Table() {
    for (int32 i = 0; i < kNumQuilletParams; ++i) {
      const QuilletParamSpec& spec = kQuilletParams[i];
      const int32 steps = stepsOf(spec.kind);
      rows[i] = {static_cast<ParamID>(i),
                 spec.name,
                 spec.label,
                 steps,
                 spec.defaultValue,
                 steps == 1   ? kOnOff
                 : steps == 2 ? spec.positionNames
                              : nullptr};
    }
    rows[kNumQuilletParams] = {kBypassParamId, "Bypass", "", 1, 0.0, kOnOff};
  }
};

const Table& table() {
  static const Table instance;
  return instance;
}

}  // namespace

int32 parameterCount() { return kNumQuilletParams + 1; }

const ParameterFacts* parameterAt(int32 index) {
  return index >= 0 && index < parameterCount() ? &table().rows[index] : nullptr;
}

const ParameterFacts* parameterById(ParamID id) {
  for (const ParameterFacts& p : table().rows)
    if (p.id == id) return &p;
  return nullptr;
}

void formatValue(const ParameterFacts& p, double value, char* text, size_t size) {
  if (size == 0) return;
  if (p.positionNames) {
    // The positions as the echo reads them: switches above one half, the
    // selectors split at the same single-precision thresholds.
    const float v = static_cast<float>(value);
    int position = 0;
    if (p.stepCount == 1)
      position = v > 0.5f ? 1 : 0;
    else
      position = v < kSwitchSecondPosition ? 0 : v < kSwitchThirdPosition ? 1 : 2;
    std::snprintf(text, size, "%s", p.positionNames[position]);
    return;
  }
  std::snprintf(text, size, "%.3f", value);
}

bool parseValue(const ParameterFacts& p, const char* text, double* value) {
  if (!text || !value) return false;
  if (p.positionNames) {
    for (int32 i = 0; i <= p.stepCount; ++i) {
      if (strcasecmp(text, p.positionNames[i]) == 0) {
        *value = static_cast<double>(i) / p.stepCount;
        return true;
      }
    }
    return false;
  }
  char* end = nullptr;
  const double number = std::strtod(text, &end);
  if (end == text || *end != 0 || !std::isfinite(number)) return false;
  *value = number < 0 ? 0 : number > 1 ? 1 : number;
  return true;
}

}  // namespace quillet::vst3
