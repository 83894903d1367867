#include "clap/param_mapping.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillet::clap {
namespace {

bool valid(int index) { return index >= 0 && index < core::kNumQuilletParams; }

core::ParamKind kindOf(int index) { return core::kQuilletParams[index].kind; }

// Copies text with a NUL within capacity; false when it does not fit.
bool copyText(const char* text, char* out, uint32_t capacity) {
  const size_t length = std::strlen(text);
  if (out == nullptr || capacity == 0 || length >= capacity) return false;
  std::memcpy(out, text, length + 1);
  return true;
}

}  // namespace

int paramIndexOf(clap_id id) { return core::paramIndexForId(id); }

double plainMin(int) { return 0.0; }

double plainMax(int index) {
  return valid(index) && kindOf(index) == core::ParamKind::Selector ? 2.0 : 1.0;
}

double plainDefault(int index) {
  return valid(index) ? storedToPlain(index, core::kQuilletParams[index].defaultValue) : 0.0;
}

clap_param_info_flags paramFlags(int index) {
  if (!valid(index)) return 0;
  switch (kindOf(index)) {
    case core::ParamKind::Switch:
      return CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED;
    case core::ParamKind::Selector:
      return CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
    case core::ParamKind::Continuous:
      break;
  }
  return CLAP_PARAM_IS_AUTOMATABLE;
}

bool plainToStored(int index, double plain, float* stored) {
  if (!valid(index) || std::isnan(plain)) return false;
  const double clamped = std::clamp(plain, plainMin(index), plainMax(index));
  if (kindOf(index) == core::ParamKind::Continuous) {
    *stored = static_cast<float>(clamped);
  } else {
    // Stepped: the host's value is a position (truncated, as hosts do).
    *stored = core::paramValueOfPosition(index, static_cast<int32_t>(clamped));
  }
  return true;
}

double storedToPlain(int index, float stored) {
  if (!valid(index)) return 0.0;
  if (kindOf(index) == core::ParamKind::Continuous) return stored;
  return core::paramPosition(index, stored);
}

bool fillParamInfo(uint32_t index, clap_param_info_t* info) {
  const int i = static_cast<int>(index);
  if (info == nullptr || index >= static_cast<uint32_t>(core::kNumQuilletParams)) return false;
  std::memset(info, 0, sizeof(*info));
  info->id = paramIdOf(i);
  info->flags = paramFlags(i);
  info->cookie = nullptr;
  copyText(core::kQuilletParams[i].name, info->name, sizeof(info->name));
  info->module[0] = '\0';
  info->min_value = plainMin(i);
  info->max_value = plainMax(i);
  info->default_value = plainDefault(i);
  return true;
}

bool valueToText(const quillet::core::EchoCore& core, int index, double plain, char* out,
                 uint32_t capacity) {
  float stored = 0.0f;
  if (out == nullptr || capacity == 0 || !plainToStored(index, plain, &stored)) return false;
  char text[quillet::core::kMaxParamTextLength + 1];
  return core.valueToText(index, stored, text, sizeof(text)) && copyText(text, out, capacity);
}

bool textToValue(const quillet::core::EchoCore& core, int index, const char* text, double* plain) {
  float stored = 0.0f;
  if (!valid(index) || text == nullptr || plain == nullptr ||
      !core.textToValue(index, text, &stored)) {
    return false;
  }
  *plain = storedToPlain(index, stored);
  return true;
}

}  // namespace quillet::clap
