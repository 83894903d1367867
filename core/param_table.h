// The parameters of Quillet K3, declared once: identifiers, names, labels,
// defaults, kinds and positions, in the order hosts and the panel use. Every
// format's table, the panel and the generated plug-in descriptions read this
// list. The numbering itself is the engine's (EchoParamIndex), so the table
// and the engine cannot number a parameter differently.
#pragma once

#include <cstdint>

#include "engine/echo_params.h"

using QuilletParam = EchoParamIndex;
constexpr int kNumQuilletParams = kEchoParamCount;

enum class ParamKind : uint8_t {
  Continuous,  // a knob, 0..1
  Switch,      // "n/y": on above one half
  Selector,    // "typ": three positions split at kSwitchSecondPosition and kSwitchThirdPosition
  ThreeWay = Selector,
};

struct QuilletParamSpec {
  // Stable across versions, separate from the index: what formats that name
  // parameters (LV2 symbols, state keys) and number them (VST3 ParamID, CLAP
  // clap_id) use. The numeric id equals the index, which is also what a
  // host migrating a VST 2.4 project looks for.
  const char* symbol;  // lowercase identifier
  uint32_t id;
  const char* name;   // as hosts show it
  const char* label;  // unit text of the VST 2.4 edition
  float defaultValue;
  ParamKind kind;
  // The positions of a switch ("off", "on") or a selector, in value order.
  const char* positionNames[3];

  // Steps between the lowest and the highest value: 0 for a knob, 1 for a
  // switch, 2 for a selector.
  constexpr int32_t stepCount() const {
    return kind == ParamKind::Continuous ? 0 : kind == ParamKind::Switch ? 1 : 2;
  }
};

inline constexpr QuilletParamSpec kQuilletParams[kNumQuilletParams] = {
    {"delay", 0, "Delay", "ms", kEchoDefaults[kParamDelay], ParamKind::Continuous, {}},
    {"repeat", 1, "Repeat", "%", kEchoDefaults[kParamRepeat], ParamKind::Continuous, {}},
    {"level", 2, "Level", "%", kEchoDefaults[kParamLevel], ParamKind::Continuous, {}},
    {"range",
     3,
     "Range",
     "typ",
     kEchoDefaults[kParamRange],
     ParamKind::Selector,
     {"30-160 ms", "120-650 ms", "480-2600 ms"}},
    {"mute", 4, "Mute", "n/y", kEchoDefaults[kParamMute], ParamKind::Switch, {"off", "on"}},
    {"dry", 5, "Dry", "%", kEchoDefaults[kParamDry], ParamKind::Continuous, {}},
    {"pan", 6, "Pan", "%", kEchoDefaults[kParamPan], ParamKind::Continuous, {}},
    {"x_feed", 7, "X-Feed", "%", kEchoDefaults[kParamXFeed], ParamKind::Continuous, {}},
    {"mono_out",
     8,
     "Mono Out",
     "n/y",
     kEchoDefaults[kParamMonoOut],
     ParamKind::Switch,
     {"off", "on"}},
    {"knob_dust",
     9,
     "KnobDust",
     "n/y",
     kEchoDefaults[kParamKnobDust],
     ParamKind::Switch,
     {"off", "on"}},
    {"ping_pong",
     10,
     "PingPong",
     "typ",
     kEchoDefaults[kParamPingPong],
     ParamKind::Selector,
     {"normal", "ping", "pong"}},
};

// The table's index for a stable numeric id, or -1 when no row has it.
constexpr int32_t paramIndexForId(uint32_t id) {
  for (int32_t i = 0; i < kNumQuilletParams; ++i)
    if (kQuilletParams[i].id == id) return i;
  return -1;
}

// The position (0 .. stepCount) a switch or selector is in at this value.
inline int32_t paramPosition(int32_t index, float value) {
  if (kQuilletParams[index].kind == ParamKind::Switch) return switchOn(value) ? 1 : 0;
  return threeWayPosition(value);
}

// The value that stands for a position: 0, 1 for a switch; 0, 0.5, 1 for a
// selector (each inside its position, and position / stepCount, as formats
// with stepped parameters count).
inline float paramValueOfPosition(int32_t index, int32_t position) {
  const int32_t steps = kQuilletParams[index].stepCount();
  if (steps == 0 || position <= 0) return 0.0f;
  if (position >= steps) return 1.0f;
  return static_cast<float>(position) / static_cast<float>(steps);
}
