// The bypass switch without a click: the output moves from the echo's output
// to the input (and back) along a straight line over 10 ms, frame by frame.
// The echo itself keeps running on the input meanwhile (see
// EchoProcessor), so the two signals share their dry part and an equal-gain
// fade neither dips nor bumps.
//
// Audio thread only; nothing here allocates.
#pragma once

#include <cstdint>

namespace quillet::vst3 {

class BypassFade {
 public:
  static constexpr double kFadeSeconds = 0.01;

  // The fade's length for this rate; a fade under way ends where it stands.
  void setSampleRate(double rate);
  // Straight to a state, no fade (a fresh start).
  void jumpTo(bool bypassed);
  // Starts fading toward the state (from wherever the fade stands).
  void setBypassed(bool bypassed) { target = bypassed; }
  bool bypassed() const { return target; }
  // True while the echo's output goes out unchanged: not bypassed and no
  // fade running.
  bool passesEcho() const { return !target && wet == length; }

  // The echo's output in `out` (two channels), the input in `dry`: writes the
  // mix of both for each frame and moves the fade on. Where the fade has
  // reached the input, the input comes out exactly.
  void mix(float* const* out, const double* const* dry, uint32_t frames) {
    mixAll(out, dry, frames);
  }
  void mix(double* const* out, const double* const* dry, uint32_t frames) {
    mixAll(out, dry, frames);
  }

  // How far toward the echo the fade stands, 0 (input) to 1 (echo).
  double echoShare() const { return static_cast<double>(wet) / length; }

 private:
  template <class Sample>
  void mixAll(Sample* const* out, const double* const* dry, uint32_t frames);

  uint32_t length = 1;  // frames of a whole fade
  uint32_t wet = 1;     // 0 .. length: the echo's share, in frames of the fade
  bool target = false;
};

}  // namespace quillet::vst3
