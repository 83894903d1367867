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

// A three-way switch: position 0 below 0.33333334, 1 below 0.6666666, else 2.
inline int threeWayPosition(float value) {
  if (value < 0.33333334f) return 0;
  if (value < 0.6666666f) return 1;
  return 2;
}
