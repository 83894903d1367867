#include "standalone/starting_values.h"

#include <cctype>

#include "cli/param_setting.h"

namespace quillet::standalone {

namespace {

bool sameIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

std::vector<std::string> parameterNames() {
  std::vector<std::string> names;
  for (const core::QuilletParamSpec& param : core::kQuilletParams) names.push_back(param.name);
  return names;
}

}  // namespace

const core::FactoryPreset* findPreset(const std::string& nameOrSymbol) {
  for (const core::FactoryPreset& preset : core::kFactoryPresets)
    if (nameOrSymbol == preset.name || nameOrSymbol == preset.symbol) return &preset;
  for (const core::FactoryPreset& preset : core::kFactoryPresets)
    if (sameIgnoringCase(nameOrSymbol, preset.name) ||
        sameIgnoringCase(nameOrSymbol, preset.symbol))
      return &preset;
  return nullptr;
}

bool applyPresetAndSets(quillet::core::EchoCore& core, const std::string& preset,
                        const std::vector<std::string>& sets, std::string* error) {
  const core::FactoryPreset* chosen = nullptr;
  if (!preset.empty()) {
    chosen = findPreset(preset);
    if (!chosen) {
      *error = "unknown preset '" + preset + "' (quillet-k3 --help lists them)";
      return false;
    }
  }
  const std::vector<std::string> names = parameterNames();
  std::vector<quillet::cli::ParamSetting> settings(sets.size());
  for (size_t i = 0; i < sets.size(); ++i)
    if (!quillet::cli::parseSetting(sets[i], names, "quillet-k3 --help", &settings[i], error))
      return false;
  if (chosen)
    for (int32_t i = 0; i < core::kNumQuilletParams; ++i) core.setParameter(i, chosen->values[i]);
  for (const quillet::cli::ParamSetting& setting : settings)
    core.setParameter(static_cast<int32_t>(setting.index), setting.value);
  return true;
}

}  // namespace quillet::standalone
