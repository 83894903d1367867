// The parameters of Quillet K3, declared once: identifiers, names, labels,
// defaults, kinds and positions, in the order hosts and the panel use. Every
// format's table, the panel and the generated plug-in descriptions read this
// list. The numbering itself is the engine's (EchoParamIndex), so the table
// and the engine cannot number a parameter differently.
#pragma once

#include <cstdint>

#include "engine/echo_params.h"

namespace quillet::core {

using QuilletParam = engine::EchoParamIndex;
constexpr int kNumQuilletParams = engine::kEchoParamCount;

enum class ParamKind : uint8_t {
  Continuous,  // a knob, 0..1
  Switch,      // "n/y": on above one half
  Selector,    // "typ": three positions split at kSwitchSecondPosition and kSwitchThirdPosition
  ThreeWay = Selector,
};

// How a value reads as the musician's text (core/param_text.h).
enum class TextStyle : uint8_t {
  EchoTime,   // the echo time in milliseconds, for the stored "Range" and the rate
  Percent,    // 0 to 100 %
  LoopGain,   // the loop's feedback gain, twice the value, 0 to 200 %
  Balance,    // "L 40", "C", "R 40"
  Positions,  // a switch's or selector's position names
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
  TextStyle text;
  // Whether the echo's tail (how long it rings on) depends on the value.
  bool shapesTail;
  // Whether a change stretches the delay lines: work in proportion to their
  // length, which a block does a bounded number of times (block_changes.h).
  bool stretchesLines;

  // Steps between the lowest and the highest value: 0 for a knob, 1 for a
  // switch, 2 for a selector.
  constexpr int32_t stepCount() const {
    return kind == ParamKind::Continuous ? 0 : kind == ParamKind::Switch ? 1 : 2;
  }
};

// One row per parameter, in index order; the columns as QuilletParamSpec
// names them: symbol, id, name, label, default, kind, positions, text style,
// whether it shapes the tail, whether it stretches the lines.
// clang-format off
inline constexpr QuilletParamSpec kQuilletParams[kNumQuilletParams] = {
  {"delay",     0,  "Delay",    "ms",  engine::kEchoDefaults[engine::kParamDelay],    ParamKind::Continuous, {},
   TextStyle::EchoTime,  true,  true},
  {"repeat",    1,  "Repeat",   "%",   engine::kEchoDefaults[engine::kParamRepeat],   ParamKind::Continuous, {},
   TextStyle::LoopGain,  true,  false},
  {"level",     2,  "Level",    "%",   engine::kEchoDefaults[engine::kParamLevel],    ParamKind::Continuous, {},
   TextStyle::Percent,   false, false},
  {"range",     3,  "Range",    "typ", engine::kEchoDefaults[engine::kParamRange],    ParamKind::Selector,
   {"30-160 ms", "120-650 ms", "480-2600 ms"},
   TextStyle::Positions, true,  true},
  {"mute",      4,  "Mute",     "n/y", engine::kEchoDefaults[engine::kParamMute],     ParamKind::Switch,
   {"off", "on"},
   TextStyle::Positions, false, false},
  {"dry",       5,  "Dry",      "%",   engine::kEchoDefaults[engine::kParamDry],      ParamKind::Continuous, {},
   TextStyle::Percent,   false, false},
  {"pan",       6,  "Pan",      "%",   engine::kEchoDefaults[engine::kParamPan],      ParamKind::Continuous, {},
   TextStyle::Balance,   false, false},
  {"x_feed",    7,  "X-Feed",   "%",   engine::kEchoDefaults[engine::kParamXFeed],    ParamKind::Continuous, {},
   TextStyle::Percent,   false, false},
  {"mono_out",  8,  "Mono Out", "n/y", engine::kEchoDefaults[engine::kParamMonoOut],  ParamKind::Switch,
   {"off", "on"},
   TextStyle::Positions, false, false},
  {"knob_dust", 9,  "KnobDust", "n/y", engine::kEchoDefaults[engine::kParamKnobDust], ParamKind::Switch,
   {"off", "on"},
   TextStyle::Positions, false, false},
  {"ping_pong", 10, "PingPong", "typ", engine::kEchoDefaults[engine::kParamPingPong], ParamKind::Selector,
   {"normal", "ping", "pong"},
   TextStyle::Positions, false, false},
};
// clang-format on

// The table's index for a stable numeric id, or -1 when no row has it.
constexpr int32_t paramIndexForId(uint32_t id) {
  for (int32_t i = 0; i < kNumQuilletParams; ++i)
    if (kQuilletParams[i].id == id) return i;
  return -1;
}

// The position (0 .. stepCount) a switch or selector is in at this value.
inline int32_t positionOf(const QuilletParamSpec& param, float value) {
  if (param.kind == ParamKind::Switch) return engine::switchOn(value) ? 1 : 0;
  return engine::threeWayPosition(value);
}
inline int32_t paramPosition(int32_t index, float value) {
  return positionOf(kQuilletParams[index], value);
}

// The value that stands for a position: 0, 1 for a switch; 0, 0.5, 1 for a
// selector (each inside its position, and position / stepCount, as formats
// with stepped parameters count).
inline float valueOfPosition(const QuilletParamSpec& param, int32_t position) {
  const int32_t steps = param.stepCount();
  if (steps == 0 || position <= 0) return 0.0f;
  if (position >= steps) return 1.0f;
  return static_cast<float>(position) / static_cast<float>(steps);
}
inline float paramValueOfPosition(int32_t index, int32_t position) {
  return valueOfPosition(kQuilletParams[index], position);
}

}  // namespace quillet::core
