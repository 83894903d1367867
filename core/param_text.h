// Parameter values as text and back, for hosts that show a value or let the
// user type one.
//
// Two texts per value:
//  - the VST 2.4 edition's: the normalised value itself with six decimals,
//    cut and not rounded ("0.250000"), as that edition has always shown it;
//  - the musician's: "Delay" as the echo time ("311.0 ms") for the present
//    "Range" and sample rate, "Repeat" as the loop's feedback gain in percent
//    ("0.0 %" to "200.0 %": from 100 % on the echo sustains itself), "Level",
//    "Dry" and "X-Feed" in percent, "Pan" as a balance ("L 40", "C",
//    "R 40"), switches "on"/"off" and selectors by their position names.
//
// Each reader takes what its writer writes, with or without the unit, in any
// letter case and with a point or a comma as the decimal mark; out-of-range
// numbers clamp to the parameter's range, anything else is refused. Neither
// side depends on the C locale, allocates or locks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/param_table.h"

namespace quillet::core {

// What a musician's text depends on besides the value itself.
struct ParamTextContext {
  float range = engine::kEchoDefaults[engine::kParamRange];  // the stored "Range"
  // The rate the engine runs at; 0 (or any rate it cannot run at) when none
  // is known, and "Delay" then shows the time its curve gives, not yet cut to
  // whole samples.
  float sampleRate = 0.0f;
};

// The context of a table's values: the stored "Range" among them (indexed as
// the table is) and the rate the engine runs at.
template <class Values>
ParamTextContext textContextOf(const Values& values, float sampleRate) {
  ParamTextContext context;
  context.range = static_cast<float>(values[engine::kParamRange]);
  context.sampleRate = sampleRate;
  return context;
}

// Longest text either writer produces, without the closing NUL.
constexpr size_t kMaxParamTextLength = 15;

// Write a NUL-terminated text into text[0 .. size-1]. False (and an empty text
// where size allows) for an index outside the table, a NaN value, or a text
// that does not fit. Values outside 0..1 are shown as the nearest end.
// The row's own form serves a format's parameters of the same kinds (a
// bypass switch) as well as the table's.
bool formatVst24Text(float value, char* text, size_t size);
bool formatParamText(int32_t index, float value, const ParamTextContext& context, char* text,
                     size_t size);
bool formatParamText(const QuilletParamSpec& param, float value, const ParamTextContext& context,
                     char* text, size_t size);

// The normalised value (0..1) a text stands for; false, and *value untouched,
// for a text that is not one.
bool parseVst24Text(const char* text, float* value);
bool parseParamText(int32_t index, const char* text, const ParamTextContext& context, float* value);
bool parseParamText(const QuilletParamSpec& param, const char* text,
                    const ParamTextContext& context, float* value);

// The echo time in milliseconds that "Delay" at delay and "Range" at range
// give: at a usable sampleRate, the whole samples the engine's delay line is
// long; otherwise the time of the curve.
double delayTimeMs(float delay, float range, float sampleRate);

}  // namespace quillet::core
