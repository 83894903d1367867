// Parameters: the info records, values within their ranges, texts that fit
// the host's buffer and read back, and values set by a flush while inactive.
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "host/validate/clap/clap_validator.h"

namespace quillet::host {

namespace {

std::string checkInfos(ClapInstance& plugin, std::vector<clap_param_info_t>* infos) {
  const uint32_t count = plugin.parameterCount();
  std::set<clap_id> ids;
  for (uint32_t i = 0; i < count; ++i) {
    clap_param_info_t info;
    std::memset(&info, 0xA5, sizeof(info));
    if (!plugin.parameterInfo(i, &info)) return "get_info(" + std::to_string(i) + ") failed";
    const std::string at = "parameter " + std::to_string(i) + ": ";
    if (!std::memchr(info.name, 0, sizeof(info.name))) return at + "name not NUL-terminated";
    if (!std::memchr(info.module, 0, sizeof(info.module))) return at + "module not NUL-terminated";
    if (!*info.name) return at + "no name";
    if (info.id == CLAP_INVALID_ID || !ids.insert(info.id).second)
      return at + "id " + std::to_string(info.id) + " invalid or used twice";
    if (!(info.min_value <= info.max_value) || !std::isfinite(info.min_value) ||
        !std::isfinite(info.max_value))
      return at + "no usable range";
    if (!(info.default_value >= info.min_value && info.default_value <= info.max_value))
      return at + "default outside the range";
    if ((info.flags & CLAP_PARAM_IS_STEPPED) && (info.min_value != std::floor(info.min_value) ||
                                                 info.max_value != std::floor(info.max_value)))
      return at + "stepped with a range that is not whole numbers";
    double value = NAN;
    if (!plugin.parameterValue(info.id, &value)) return at + "get_value failed";
    if (!(value >= info.min_value && value <= info.max_value))
      return at + "value " + std::to_string(value) + " outside its range";
    infos->push_back(info);
  }
  clap_param_info_t info;
  if (plugin.parameterInfo(count, &info)) return "get_info answers past the count";
  double value = 0;
  for (clap_id unknown : {CLAP_INVALID_ID, 0xdeadbeefu})
    if (!ids.count(unknown) && plugin.parameterValue(unknown, &value))
      return "get_value answers for an unknown id";
  return "";
}

// Texts of four values per parameter: within a buffer of any size, NUL-
// terminated, and read back to a value with the same text.
std::string checkTexts(ClapInstance& plugin, const std::vector<clap_param_info_t>& infos,
                       int* roundTrips) {
  const clap_plugin_params_t* params = plugin.params();
  for (const clap_param_info_t& info : infos) {
    const double span = info.max_value - info.min_value;
    for (double f : {0.0, 0.3, 0.5, 1.0}) {
      double v = info.min_value + f * span;
      if (info.flags & CLAP_PARAM_IS_STEPPED) v = std::floor(v);
      const std::string at = std::string("\"") + info.name + "\" at " + std::to_string(v) + ": ";
      char text[256];
      std::memset(text, 0xA5, sizeof(text));
      if (!params->value_to_text(plugin.plugin(), info.id, v, text, sizeof(text))) continue;
      if (!std::memchr(text, 0, sizeof(text))) return at + "text not NUL-terminated";
      for (uint32_t capacity : {1u, 2u, 4u}) {
        char small[8];
        std::memset(small, 0xA5, sizeof(small));
        const bool fits = params->value_to_text(plugin.plugin(), info.id, v, small, capacity);
        for (uint32_t b = capacity; b < sizeof(small); ++b)
          if (static_cast<unsigned char>(small[b]) != 0xA5)
            return at + "wrote past a buffer of " + std::to_string(capacity) + " bytes";
        if (fits && !std::memchr(small, 0, capacity))
          return at + "no NUL within a buffer of " + std::to_string(capacity) + " bytes";
      }
      double back = NAN;
      if (!params->text_to_value(plugin.plugin(), info.id, text, &back))
        return at + "its own text \"" + text + "\" does not read back";
      char again[256] = {};
      if (!params->value_to_text(plugin.plugin(), info.id, back, again, sizeof(again)) ||
          std::strcmp(text, again) != 0)
        return at + "\"" + text + "\" reads back as " + std::to_string(back) + ", shown \"" +
               again + "\"";
      ++*roundTrips;
    }
    double ignored = 0;
    if (params->text_to_value(plugin.plugin(), info.id, "\x01 not a value \x02", &ignored) &&
        !(ignored >= info.min_value && ignored <= info.max_value))
      return std::string("\"") + info.name + "\": garbage text read as a value out of range";
  }
  return "";
}

}  // namespace

void validateClapParameters(ClapValidationContext& ctx) {
  auto plugin = ctx.instance("parameters");
  if (!plugin) return;
  if (!plugin->params()) {
    ctx.report.note("no params extension: nothing to check");
    return;
  }
  std::vector<clap_param_info_t> infos;
  const std::string infoProblem = checkInfos(*plugin, &infos);
  ctx.report.result("parameters: info, ids, ranges, values", infoProblem,
                    std::to_string(infos.size()) + " parameters");
  int roundTrips = 0;
  const std::string textProblem = checkTexts(*plugin, infos, &roundTrips);
  ctx.report.result("parameters: texts fit and read back", textProblem,
                    std::to_string(roundTrips) + " texts");

  // Every parameter to its maximum by a flush, inactive (main thread).
  ClapInputEvents events;
  for (const clap_param_info_t& info : infos) events.paramValue(0, info.id, info.max_value);
  ClapOutputEvents out;
  plugin->flush(events, out);
  std::string problem;
  for (const clap_param_info_t& info : infos) {
    double value = NAN;
    if (!plugin->parameterValue(info.id, &value) || value != info.max_value) {
      problem = std::string("\"") + info.name + "\" is " + std::to_string(value) +
                " after a flush set it to " + std::to_string(info.max_value);
      break;
    }
  }
  ctx.report.result("parameters: values set by a flush while inactive", problem);
  ctx.threadsKept(*plugin, "parameters: callbacks on their threads");
}

}  // namespace quillet::host
