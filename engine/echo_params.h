// The eleven normalised control values (0..1) the echo engine works from, and
// how the switches among them are read.
#pragma once

struct EchoParams {
  float delay = 0.0f;
  float repeat = 0.0f;
  float level = 0.0f;
  float range = 0.5f;
  float mute = 0.0f;
  float dry = 1.0f;
  float pan = 0.5f;
  float xFeed = 0.0f;
  float monoOut = 0.0f;
  float knobDust = 1.0f;
  float pingPong = 0.0f;
};

// The index of each value as hosts number the parameters.
enum EchoParamIndex {
  kEchoDelay = 0,
  kEchoRepeat,
  kEchoLevel,
  kEchoRange,
  kEchoMute,
  kEchoDry,
  kEchoPan,
  kEchoXFeed,
  kEchoMonoOut,
  kEchoKnobDust,
  kEchoPingPong,
  kEchoParamCount
};

// An on/off switch is on above one half.
inline bool switchOn(float value) { return value > 0.5f; }

// A three-way switch changes position at these single-precision values: the
// float nearest one third, and the one just below two thirds.
constexpr float kEchoSecondPosition = 0.33333334f;
constexpr float kEchoThirdPosition = 0.6666666f;

// Position 0, 1 or 2 of a three-way switch.
inline int threeWayPosition(float value) {
  if (value < kEchoSecondPosition) return 0;
  if (value < kEchoThirdPosition) return 1;
  return 2;
}
