#include "cli/param_setting.h"

#include <cctype>

#include "cli/number_text.h"

namespace quillet::cli {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

bool splitAssignment(const std::string& text, std::string* name, std::string* rest) {
  const size_t eq = text.rfind('=');
  if (eq == std::string::npos || eq == 0) return false;
  *name = text.substr(0, eq);
  *rest = text.substr(eq + 1);
  return true;
}

bool findParameter(const std::string& key, const std::vector<std::string>& names,
                   const std::string& listedBy, uint32_t* index, std::string* error) {
  const size_t count = names.size();
  // A name may start with a sign; an index is digits alone.
  double n = 0.0;
  if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos) {
    if (readWholeNumber(key, &n) != NumberText::kNumber || n >= static_cast<double>(count)) {
      *error = "parameter index " + key + " is out of range (the plug-in has " +
               std::to_string(count) + " parameters)";
      return false;
    }
    *index = static_cast<uint32_t>(n);
    return true;
  }
  bool loose = false;
  for (size_t i = 0; i < count; ++i) {
    if (names[i] == key) {
      *index = static_cast<uint32_t>(i);
      return true;
    }
    if (!loose && sameIgnoringCase(names[i], key)) {
      *index = static_cast<uint32_t>(i);
      loose = true;
    }
  }
  if (loose) return true;
  *error = "unknown parameter '" + key + "' (" + listedBy + " lists them)";
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

bool parseSetting(const std::string& text, const std::vector<std::string>& names,
                  const std::string& listedBy, ParamSetting* setting, std::string* error) {
  std::string name, value;
  if (!splitAssignment(text, &name, &value)) {
    *error = "--set wants NAME=VALUE, got '" + text + "'";
    return false;
  }
  return findParameter(name, names, listedBy, &setting->index, error) &&
         parseNormalised(value, name, &setting->value, error);
}

}  // namespace quillet::cli
