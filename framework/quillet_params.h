// The parameter numbers of Quillet K3, in the order hosts and the editor use.
#pragma once

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
