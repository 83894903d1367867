// Parameter settings as the command line gives them, for a plug-in of any
// format: `NAME=VALUE`, ramps `NAME=FROM:TO@T0:T1` and steps `NAME=VALUE@T`,
// by parameter name or index, with normalised values (0..1) and times in
// seconds.
#pragma once

#include <cstdint>
#include <string>

#include "cli/param_setting.h"
#include "host/plugin/audio_plugin.h"

namespace quillet::host {

using quillet::cli::ParamSetting;

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

// A value set at one moment of the render, `seconds` from its start: the
// block that holds that frame is split there, as a host splits its blocks
// at its automation points.
struct ParamStep {
  uint32_t index = 0;
  float value = 0.0f;
  double seconds = 0.0;
};

// By index ("3": decimal digits only) or name, exact first, then ignoring case
// (the rule of cli/param_setting.h, over the plug-in's names).
bool findParameter(AudioPlugin& plugin, const std::string& key, uint32_t* index,
                   std::string* error);
using quillet::cli::parseNormalised;
bool parseSetting(AudioPlugin& plugin, const std::string& text, ParamSetting* setting,
                  std::string* error);
bool parseRamp(AudioPlugin& plugin, const std::string& text, ParamRamp* ramp, std::string* error);
bool parseStep(AudioPlugin& plugin, const std::string& text, ParamStep* step, std::string* error);

}  // namespace quillet::host
