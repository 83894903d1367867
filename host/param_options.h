// Parameter settings given on the command line: `NAME=VALUE` and ramps
// `NAME=FROM:TO@T0:T1`, by parameter name or index, with normalised values.
#pragma once

#include <string>

#include "host/plugin_host.h"
#include "host/render.h"

namespace vsthost {

struct ParamSetting {
  VstInt32 index = 0;
  float value = 0.0f;
};

// By index ("3") or name, exact first, then ignoring case.
bool findParameter(PluginInstance& plugin, const std::string& key, VstInt32* index,
                   std::string* error);
// A finite number in 0..1; `what` names it in the message.
bool parseNormalised(const std::string& text, const std::string& what, float* value,
                     std::string* error);
bool parseSetting(PluginInstance& plugin, const std::string& text, ParamSetting* setting,
                  std::string* error);
bool parseRamp(PluginInstance& plugin, const std::string& text, ParamRamp* ramp,
               std::string* error);

}  // namespace vsthost
