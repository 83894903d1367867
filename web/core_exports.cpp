// What both web modules tell the page about the parameters and the factory
// presets, read from the core's own tables (core/param_table.h,
// core/factory_presets.h), so the page never keeps a copy of its own.
#include <cstdint>

#include "core/factory_presets.h"
#include "core/param_table.h"

#define QUILLET_EXPORT(name) extern "C" __attribute__((export_name(#name), used))

namespace {

bool isParam(int32_t index) { return index >= 0 && index < quillet::core::kNumQuilletParams; }

}  // namespace

QUILLET_EXPORT(param_count) int32_t paramCount() { return quillet::core::kNumQuilletParams; }

// The name hosts show ("Delay", "X-Feed"), a NUL-terminated text; null outside the table.
QUILLET_EXPORT(param_name) const char* paramName(int32_t index) {
  return isParam(index) ? quillet::core::kQuilletParams[index].name : nullptr;
}

// The lowercase identifier ("delay", "xfeed"): the page's address uses it.
QUILLET_EXPORT(param_symbol) const char* paramSymbol(int32_t index) {
  return isParam(index) ? quillet::core::kQuilletParams[index].symbol : nullptr;
}

QUILLET_EXPORT(param_default) float paramDefault(int32_t index) {
  return isParam(index) ? quillet::core::kQuilletParams[index].defaultValue : 0.0f;
}

QUILLET_EXPORT(preset_count) int32_t presetCount() { return quillet::core::kNumFactoryPresets; }

QUILLET_EXPORT(preset_name) const char* presetName(int32_t preset) {
  return preset >= 0 && preset < quillet::core::kNumFactoryPresets
             ? quillet::core::kFactoryPresets[preset].name
             : nullptr;
}

QUILLET_EXPORT(preset_value) float presetValue(int32_t preset, int32_t index) {
  if (preset < 0 || preset >= quillet::core::kNumFactoryPresets || !isParam(index)) return 0.0f;
  return quillet::core::kFactoryPresets[preset].values[index];
}
