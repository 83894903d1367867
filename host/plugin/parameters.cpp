#include "host/plugin/parameters.h"

#include <vector>

#include "cli/number_text.h"

namespace quillet::host {

float ParamRamp::valueAt(double seconds) const {
  if (seconds <= t0) return from;
  if (seconds >= t1 || t1 <= t0) return to;
  const double f = (seconds - t0) / (t1 - t0);
  return static_cast<float>(from + (to - from) * f);
}

namespace {

bool parseSeconds(const std::string& text, double* seconds) {
  return quillet::cli::readNumber(text, seconds) == quillet::cli::NumberText::kNumber;
}

std::vector<std::string> namesOf(AudioPlugin& plugin) {
  std::vector<std::string> names;
  const uint32_t count = plugin.parameterCount();
  names.reserve(count);
  for (uint32_t i = 0; i < count; ++i) names.push_back(plugin.parameterName(i));
  return names;
}

const char* const kListedBy = "quillet-host info";

}  // namespace

bool findParameter(AudioPlugin& plugin, const std::string& key, uint32_t* index,
                   std::string* error) {
  return quillet::cli::findParameter(key, namesOf(plugin), kListedBy, index, error);
}

bool parseSetting(AudioPlugin& plugin, const std::string& text, ParamSetting* setting,
                  std::string* error) {
  return quillet::cli::parseSetting(text, namesOf(plugin), kListedBy, setting, error);
}

bool parseRamp(AudioPlugin& plugin, const std::string& text, ParamRamp* ramp, std::string* error) {
  const std::string usage = "--ramp wants NAME=FROM:TO@T0:T1 (seconds), got '" + text + "'";
  std::string name, rest;
  if (!quillet::cli::splitAssignment(text, &name, &rest)) {
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

bool parseStep(AudioPlugin& plugin, const std::string& text, ParamStep* step, std::string* error) {
  std::string name, rest;
  const size_t at = text.rfind('@');
  if (at == std::string::npos || !quillet::cli::splitAssignment(text.substr(0, at), &name, &rest)) {
    *error = "--step wants NAME=VALUE@T (seconds), got '" + text + "'";
    return false;
  }
  if (!findParameter(plugin, name, &step->index, error) ||
      !parseNormalised(rest, name, &step->value, error))
    return false;
  if (!parseSeconds(text.substr(at + 1), &step->seconds) || step->seconds < 0.0) {
    *error = "--step time must be seconds from 0 on, got '" + text.substr(at + 1) + "'";
    return false;
  }
  return true;
}

}  // namespace quillet::host
