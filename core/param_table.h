// The parameters of Quillet K3, declared once: numbers, names, labels,
// defaults and kinds, in the order hosts and the editor use. Every format's
// table, the panel and the generated plug-in descriptions read this list.
#pragma once

#include <cstdint>

enum QuilletParam {
  kParamDelay = 0,
  kParamRepeat,
  kParamLevel,
  kParamRange,
  kParamMute,
  kParamDry,
  kParamPan,
  kParamXFeed,
  kParamMonoOut,
  kParamKnobDust,
  kParamPingPong,
  kNumQuilletParams
};

// The three-way switches ("typ") change position at these single-precision values.
constexpr float kSwitchSecondPosition = 0.33333334f;
constexpr float kSwitchThirdPosition = 0.6666666f;

enum class ParamKind : uint8_t {
  Continuous,  // a knob, 0..1
  Switch,      // "n/y": on above one half
  ThreeWay,    // "typ": three positions split at the thresholds above
};

struct QuilletParamSpec {
  const char* name;    // as hosts show it
  const char* label;   // unit text
  const char* symbol;  // lowercase identifier for formats that want one
  float defaultValue;
  ParamKind kind;
  // What each position of a three-way switch means, for hosts that list them.
  const char* positionNames[3];
};

inline constexpr QuilletParamSpec kQuilletParams[kNumQuilletParams] = {
    {"Delay", "ms", "delay", 0.0f, ParamKind::Continuous, {}},
    {"Repeat", "%", "repeat", 0.0f, ParamKind::Continuous, {}},
    {"Level", "%", "level", 0.0f, ParamKind::Continuous, {}},
    {"Range",
     "typ",
     "range",
     0.5f,
     ParamKind::ThreeWay,
     {"30-160 ms", "120-650 ms", "480-2600 ms"}},
    {"Mute", "n/y", "mute", 0.0f, ParamKind::Switch, {}},
    {"Dry", "%", "dry", 1.0f, ParamKind::Continuous, {}},
    {"Pan", "%", "pan", 0.5f, ParamKind::Continuous, {}},
    {"X-Feed", "%", "x_feed", 0.0f, ParamKind::Continuous, {}},
    {"Mono Out", "n/y", "mono_out", 0.0f, ParamKind::Switch, {}},
    {"KnobDust", "n/y", "knob_dust", 1.0f, ParamKind::Switch, {}},
    {"PingPong", "typ", "ping_pong", 0.0f, ParamKind::ThreeWay, {"normal", "ping", "pong"}},
};
