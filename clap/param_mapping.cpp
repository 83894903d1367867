#include "clap/param_mapping.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace quillet_clap {
namespace {

bool valid(int index) { return index >= 0 && index < kNumQuilletParams; }

ParamKind kindOf(int index) { return kQuilletParams[index].kind; }

// Copies text with a NUL within capacity; false when it does not fit.
bool copyText(std::string_view text, char* out, uint32_t capacity) {
  if (out == nullptr || capacity == 0 || text.size() >= capacity) return false;
  std::memcpy(out, text.data(), text.size());
  out[text.size()] = '\0';
  return true;
}

std::string_view trimmed(const char* text) {
  std::string_view view(text);
  while (!view.empty() && (view.front() == ' ' || view.front() == '\t')) view.remove_prefix(1);
  while (!view.empty() && (view.back() == ' ' || view.back() == '\t')) view.remove_suffix(1);
  return view;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// A whole decimal number (no locale, no hex, no inf/NaN); false otherwise.
bool parseNumber(std::string_view text, double* value) {
  if (text.empty()) return false;
  double parsed = 0.0;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed)) {
    return false;
  }
  *value = parsed;
  return true;
}

}  // namespace

int paramIndexOf(clap_id id) {
  return id < static_cast<clap_id>(kNumQuilletParams) ? static_cast<int>(id) : -1;
}

double plainMin(int) { return 0.0; }

double plainMax(int index) {
  return valid(index) && kindOf(index) == ParamKind::ThreeWay ? 2.0 : 1.0;
}

double plainDefault(int index) {
  return valid(index) ? storedToPlain(index, kQuilletParams[index].defaultValue) : 0.0;
}

clap_param_info_flags paramFlags(int index) {
  if (!valid(index)) return 0;
  switch (kindOf(index)) {
    case ParamKind::Switch:
      return CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED;
    case ParamKind::ThreeWay:
      return CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
    case ParamKind::Continuous:
      break;
  }
  return CLAP_PARAM_IS_AUTOMATABLE;
}

bool plainToStored(int index, double plain, float* stored) {
  if (!valid(index) || std::isnan(plain)) return false;
  const double clamped = std::clamp(plain, plainMin(index), plainMax(index));
  switch (kindOf(index)) {
    case ParamKind::Continuous:
      *stored = static_cast<float>(clamped);
      break;
    case ParamKind::Switch:
      *stored = std::trunc(clamped) >= 1.0 ? 1.0f : 0.0f;
      break;
    case ParamKind::ThreeWay:
      *stored = static_cast<float>(std::trunc(clamped) * 0.5);
      break;
  }
  return true;
}

double storedToPlain(int index, float stored) {
  if (!valid(index)) return 0.0;
  switch (kindOf(index)) {
    case ParamKind::Continuous:
      return stored;
    case ParamKind::Switch:
      return stored > 0.5f ? 1.0 : 0.0;
    case ParamKind::ThreeWay:
      if (stored < kSwitchSecondPosition) return 0.0;
      return stored < kSwitchThirdPosition ? 1.0 : 2.0;
  }
  return 0.0;
}

bool fillParamInfo(uint32_t index, clap_param_info_t* info) {
  const int i = static_cast<int>(index);
  if (info == nullptr || index >= static_cast<uint32_t>(kNumQuilletParams)) return false;
  std::memset(info, 0, sizeof(*info));
  info->id = paramIdOf(i);
  info->flags = paramFlags(i);
  info->cookie = nullptr;
  copyText(kQuilletParams[i].name, info->name, sizeof(info->name));
  info->module[0] = '\0';
  info->min_value = plainMin(i);
  info->max_value = plainMax(i);
  info->default_value = plainDefault(i);
  return true;
}

bool valueToText(int index, double plain, char* out, uint32_t capacity) {
  if (!valid(index) || std::isnan(plain)) return false;
  float stored = 0.0f;
  plainToStored(index, plain, &stored);
  switch (kindOf(index)) {
    case ParamKind::Switch:
      return copyText(stored > 0.5f ? "on" : "off", out, capacity);
    case ParamKind::ThreeWay:
      return copyText(
          kQuilletParams[index].positionNames[static_cast<int>(storedToPlain(index, stored))], out,
          capacity);
    case ParamKind::Continuous:
      break;
  }
  char number[32];
  auto [end, error] = std::to_chars(number, number + sizeof(number), static_cast<double>(stored),
                                    std::chars_format::fixed, 3);
  if (error != std::errc()) return false;
  return copyText(std::string_view(number, static_cast<size_t>(end - number)), out, capacity);
}

bool textToValue(int index, const char* text, double* plain) {
  if (!valid(index) || text == nullptr || plain == nullptr) return false;
  const std::string_view view = trimmed(text);
  // Position names first: the words valueToText writes.
  const int positions = kindOf(index) == ParamKind::Switch     ? 2
                        : kindOf(index) == ParamKind::ThreeWay ? 3
                                                               : 0;
  for (int position = 0; position < positions; ++position) {
    const char* name = kindOf(index) == ParamKind::Switch
                           ? (position == 1 ? "on" : "off")
                           : kQuilletParams[index].positionNames[position];
    if (equalsIgnoringCase(view, name)) {
      *plain = position;
      return true;
    }
  }
  double number = 0.0;
  if (!parseNumber(view, &number) || number < plainMin(index) || number > plainMax(index)) {
    return false;
  }
  *plain = number;
  return true;
}

}  // namespace quillet_clap
