// The eleven normalised control values (0..1) the echo engine works from: the
// one numbering of the parameters, their starting values, and how the
// switches among them are read. Everything above the engine (the parameter
// table, the store, saved states, every plug-in format) numbers the
// parameters by this enum.
#pragma once

#include <array>

namespace quillet::engine {

// The index of each value as hosts, the panel and saved states number them.
enum EchoParamIndex {
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
  kEchoParamCount
};

// What a fresh effect starts from, by index: 0 except where named.
constexpr std::array<float, kEchoParamCount> echoDefaults() {
  std::array<float, kEchoParamCount> values{};
  values[kParamRange] = 0.5f;
  values[kParamDry] = 1.0f;
  values[kParamPan] = 0.5f;
  values[kParamKnobDust] = 1.0f;
  return values;
}
inline constexpr std::array<float, kEchoParamCount> kEchoDefaults = echoDefaults();

// The values, held by index; the named readers are for the engine's own code.
struct EchoParams {
  std::array<float, kEchoParamCount> values = kEchoDefaults;

  float& operator[](int index) { return values[index]; }
  float operator[](int index) const { return values[index]; }

  float delay() const { return values[kParamDelay]; }
  float repeat() const { return values[kParamRepeat]; }
  float level() const { return values[kParamLevel]; }
  float range() const { return values[kParamRange]; }
  float mute() const { return values[kParamMute]; }
  float dry() const { return values[kParamDry]; }
  float pan() const { return values[kParamPan]; }
  float xFeed() const { return values[kParamXFeed]; }
  float monoOut() const { return values[kParamMonoOut]; }
  float knobDust() const { return values[kParamKnobDust]; }
  float pingPong() const { return values[kParamPingPong]; }
};

// An on/off switch is on above one half.
inline bool switchOn(float value) { return value > 0.5f; }

// A three-way switch changes position at these single-precision values: the
// float nearest one third, and the one just below two thirds.
constexpr float kSwitchSecondPosition = 0.33333334f;
constexpr float kSwitchThirdPosition = 0.6666666f;

// Position 0, 1 or 2 of a three-way switch.
inline int threeWayPosition(float value) {
  if (value < kSwitchSecondPosition) return 0;
  if (value < kSwitchThirdPosition) return 1;
  return 2;
}

}  // namespace quillet::engine
