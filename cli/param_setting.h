// Parameter settings as a command line gives them (`--set NAME=VALUE`), for
// every program of ours that takes them: quillet-host for a plug-in of any
// format, quillet-k3 for its own echo. A parameter is named by its index
// (decimal digits only) or by its name, exact first, then ignoring case; a
// value is a normalised number (0..1) by the number rule of number_text.h.
// Includes nothing of ours but this folder, so any program may use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::cli {

struct ParamSetting {
  uint32_t index = 0;
  float value = 0.0f;
};

// Splits "NAME=REST" at the last '=', since names may hold almost anything.
// False without an '=' or with nothing before it.
bool splitAssignment(const std::string& text, std::string* name, std::string* rest);

// The index of the parameter `key` names among `names` (index order).
// `listedBy` is the command that lists them, for the message of an unknown
// name ("unknown parameter 'X' (LISTEDBY lists them)").
bool findParameter(const std::string& key, const std::vector<std::string>& names,
                   const std::string& listedBy, uint32_t* index, std::string* error);

// A number in 0..1; `what` names it in the message.
bool parseNormalised(const std::string& text, const std::string& what, float* value,
                     std::string* error);

// "NAME=VALUE" as above.
bool parseSetting(const std::string& text, const std::vector<std::string>& names,
                  const std::string& listedBy, ParamSetting* setting, std::string* error);

}  // namespace quillet::cli
