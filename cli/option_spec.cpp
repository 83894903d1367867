#include "cli/option_spec.h"

#include <cmath>
#include <cstdio>

namespace quillet::cli {

namespace {

// Whole values in full ("4294967295", not "4.29497e+09").
std::string numberText(double v) {
  char text[64];
  if (v == std::floor(v) && std::fabs(v) < 1e15)
    std::snprintf(text, sizeof(text), "%.0f", v);
  else
    std::snprintf(text, sizeof(text), "%g", v);
  return text;
}

bool takesNumber(const OptionSpec& option) {
  return option.kind == ValueKind::kNumber || option.kind == ValueKind::kWholeNumber;
}

}  // namespace

std::string invocation(const CommandSpec& command) {
  return command.word ? std::string(command.program) + " " + command.word : command.program;
}

std::vector<std::string> spellings(const OptionSpec& option) {
  std::vector<std::string> names;
  const std::string all = option.names;
  size_t start = 0;
  while (start < all.size()) {
    size_t comma = all.find(',', start);
    if (comma == std::string::npos) comma = all.size();
    const size_t first = all.find_first_not_of(' ', start);
    if (first < comma) names.push_back(all.substr(first, comma - first));
    start = comma + 1;
  }
  return names;
}

std::string wanted(const OptionSpec& option) {
  std::string noun = option.noun ? option.noun : "a value";
  if (takesNumber(option)) {
    noun += option.aboveMin ? " above " + numberText(option.min) + " and up to "
                            : " from " + numberText(option.min) + " to ";
    noun += numberText(option.max);
  }
  return option.word ? std::string(option.word) + " or " + noun : noun;
}

std::string rangeAndDefault(const OptionSpec& option) {
  if (!takesNumber(option)) return "";
  std::string text = option.aboveMin
                         ? "above " + numberText(option.min) + ", up to " + numberText(option.max)
                         : numberText(option.min) + " to " + numberText(option.max);
  if (option.hasDefault) text += ", default " + numberText(option.defaultValue);
  return "(" + text + ")";
}

}  // namespace quillet::cli
