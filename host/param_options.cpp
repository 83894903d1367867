#include "host/param_options.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "host/plugin_text.h"

namespace vsthost {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool parseNumber(const std::string& text, double* value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return end && *end == '\0';
}

// Splits "NAME=REST" at the last '=', since names may hold almost anything.
bool splitAssignment(const std::string& text, std::string* name, std::string* rest) {
  const size_t eq = text.rfind('=');
  if (eq == std::string::npos || eq == 0) return false;
  *name = text.substr(0, eq);
  *rest = text.substr(eq + 1);
  return true;
}

}  // namespace

bool findParameter(PluginInstance& plugin, const std::string& key, VstInt32* index,
                   std::string* error) {
  const VstInt32 count = plugin.effect()->numParams;
  const bool numeric = !key.empty() && key.find_first_not_of("0123456789") == std::string::npos;
  if (numeric) {
    const long n = key.size() > 9 ? -1 : std::strtol(key.c_str(), nullptr, 10);
    if (n < 0 || n >= count) {
      *error = "parameter index " + key + " is out of range (the plug-in has " +
               std::to_string(count) + " parameters)";
      return false;
    }
    *index = static_cast<VstInt32>(n);
    return true;
  }
  VstInt32 loose = -1;
  for (VstInt32 i = 0; i < count; ++i) {
    const std::string name = parameterName(plugin, i);
    if (name == key) {
      *index = i;
      return true;
    }
    if (loose < 0 && sameIgnoringCase(name, key)) loose = i;
  }
  if (loose >= 0) {
    *index = loose;
    return true;
  }
  *error = "unknown parameter '" + key + "' (vst2-host info lists them)";
  return false;
}

bool parseNormalised(const std::string& text, const std::string& what, float* value,
                     std::string* error) {
  double v = 0.0;
  if (!parseNumber(text, &v)) {
    *error = "value for " + what + " is not a number: '" + text + "'";
    return false;
  }
  if (!std::isfinite(v) || v < 0.0 || v > 1.0) {
    *error = "value for " + what + " is out of 0..1: " + text;
    return false;
  }
  *value = static_cast<float>(v);
  return true;
}

bool parseSetting(PluginInstance& plugin, const std::string& text, ParamSetting* setting,
                  std::string* error) {
  std::string name, value;
  if (!splitAssignment(text, &name, &value)) {
    *error = "--set wants NAME=VALUE, got '" + text + "'";
    return false;
  }
  return findParameter(plugin, name, &setting->index, error) &&
         parseNormalised(value, name, &setting->value, error);
}

bool parseRamp(PluginInstance& plugin, const std::string& text, ParamRamp* ramp,
               std::string* error) {
  const std::string usage = "--ramp wants NAME=FROM:TO@T0:T1 (seconds), got '" + text + "'";
  std::string name, rest;
  if (!splitAssignment(text, &name, &rest)) {
    *error = usage;
    return false;
  }
  const size_t at = rest.find('@');
  if (at == std::string::npos) {
    *error = usage;
    return false;
  }
  const std::string values = rest.substr(0, at), times = rest.substr(at + 1);
  const size_t c1 = values.find(':'), c2 = times.find(':');
  if (c1 == std::string::npos || c2 == std::string::npos) {
    *error = usage;
    return false;
  }
  if (!findParameter(plugin, name, &ramp->index, error) ||
      !parseNormalised(values.substr(0, c1), name, &ramp->from, error) ||
      !parseNormalised(values.substr(c1 + 1), name, &ramp->to, error))
    return false;
  if (!parseNumber(times.substr(0, c2), &ramp->t0) ||
      !parseNumber(times.substr(c2 + 1), &ramp->t1) || !std::isfinite(ramp->t0) ||
      !std::isfinite(ramp->t1) || ramp->t0 < 0.0 || ramp->t1 < ramp->t0) {
    *error = "--ramp times must be seconds with 0 <= T0 <= T1, got '" + times + "'";
    return false;
  }
  return true;
}

}  // namespace vsthost
