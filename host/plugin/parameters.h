// Parameter settings as the command line gives them, for a plug-in of any
// format: `NAME=VALUE` and ramps `NAME=FROM:TO@T0:T1`, by parameter name or
// index, with normalised values (0..1) and times in seconds.
#pragma once

#include <cstdint>
#include <string>

#include "host/plugin/audio_plugin.h"

namespace vsthost {

struct ParamSetting {
  uint32_t index = 0;
  float value = 0.0f;
};

// A linear ramp of one parameter between two times; before t0 it holds
// `from`, from t1 on it holds `to`.
struct ParamRamp {
  uint32_t index = 0;
  float from = 0.0f;
  float to = 0.0f;
  double t0 = 0.0;
  double t1 = 0.0;
  float valueAt(double seconds) const;
};

// By index ("3": decimal digits only) or name, exact first, then ignoring case.
bool findParameter(AudioPlugin& plugin, const std::string& key, uint32_t* index,
                   std::string* error);
// A number in 0..1; `what` names it in the message.
bool parseNormalised(const std::string& text, const std::string& what, float* value,
                     std::string* error);
bool parseSetting(AudioPlugin& plugin, const std::string& text, ParamSetting* setting,
                  std::string* error);
bool parseRamp(AudioPlugin& plugin, const std::string& text, ParamRamp* ramp, std::string* error);

}  // namespace vsthost
