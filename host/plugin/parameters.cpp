#include "host/plugin/parameters.h"

#include <cctype>

#include "host/cli/number_text.h"

namespace vsthost {

float ParamRamp::valueAt(double seconds) const {
  if (seconds <= t0) return from;
  if (seconds >= t1 || t1 <= t0) return to;
  const double f = (seconds - t0) / (t1 - t0);
  return static_cast<float>(from + (to - from) * f);
}

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Splits "NAME=REST" at the last '=', since names may hold almost anything.
bool splitAssignment(const std::string& text, std::string* name, std::string* rest) {
  const size_t eq = text.rfind('=');
  if (eq == std::string::npos || eq == 0) return false;
  *name = text.substr(0, eq);
  *rest = text.substr(eq + 1);
  return true;
}

bool parseSeconds(const std::string& text, double* seconds) {
  return readNumber(text, seconds) == NumberText::kNumber;
}

}  // namespace

bool findParameter(AudioPlugin& plugin, const std::string& key, uint32_t* index,
                   std::string* error) {
  const uint32_t count = plugin.parameterCount();
  // A name may start with a sign; an index is digits alone.
  double n = 0.0;
  if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos) {
    if (readWholeNumber(key, &n) != NumberText::kNumber || n >= count) {
      *error = "parameter index " + key + " is out of range (the plug-in has " +
               std::to_string(count) + " parameters)";
      return false;
    }
    *index = static_cast<uint32_t>(n);
    return true;
  }
  bool loose = false;
  for (uint32_t i = 0; i < count; ++i) {
    const std::string name = plugin.parameterName(i);
    if (name == key) {
      *index = i;
      return true;
    }
    if (!loose && sameIgnoringCase(name, key)) {
      *index = i;
      loose = true;
    }
  }
  if (loose) return true;
  *error = "unknown parameter '" + key + "' (quillet-host info lists them)";
  return false;
}

bool parseNormalised(const std::string& text, const std::string& what, float* value,
                     std::string* error) {
  double v = 0.0;
  const NumberText read = readNumber(text, &v);
  if (read == NumberText::kMalformed) {
    *error = "value for " + what + " is not a number: '" + text + "'";
    return false;
  }
  if (read == NumberText::kNotFinite || v < 0.0 || v > 1.0) {
    *error = "value for " + what + " is out of 0..1: " + text;
    return false;
  }
  *value = static_cast<float>(v);
  return true;
}

bool parseSetting(AudioPlugin& plugin, const std::string& text, ParamSetting* setting,
                  std::string* error) {
  std::string name, value;
  if (!splitAssignment(text, &name, &value)) {
    *error = "--set wants NAME=VALUE, got '" + text + "'";
    return false;
  }
  return findParameter(plugin, name, &setting->index, error) &&
         parseNormalised(value, name, &setting->value, error);
}

bool parseRamp(AudioPlugin& plugin, const std::string& text, ParamRamp* ramp, std::string* error) {
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
  if (!parseSeconds(times.substr(0, c2), &ramp->t0) ||
      !parseSeconds(times.substr(c2 + 1), &ramp->t1) || ramp->t0 < 0.0 || ramp->t1 < ramp->t0) {
    *error = "--ramp times must be seconds with 0 <= T0 <= T1, got '" + times + "'";
    return false;
  }
  return true;
}

}  // namespace vsthost
