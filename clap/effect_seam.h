// The effect as the CLAP adapter drives it: the narrow seam the format-free
// core object will sit behind. Until it lands, a stand-in answers (see
// stand_in_effect.cpp): values and state are real, the audio passes through.
#pragma once

#include <cstdint>
#include <memory>

#include "clap/state_stream.h"

namespace quillet_clap {

class EffectSeam {
 public:
  virtual ~EffectSeam() = default;

  // [main thread, deactivated] Takes all memory processing needs; false for
  // a rate or block size the effect cannot run (nothing changes then).
  virtual bool activate(double sampleRate, uint32_t maxFrames) = 0;
  virtual void deactivate() = 0;

  // [audio thread] Clears the audio state; values stay.
  virtual void reset() = 0;
  // [audio thread] Two channels each way, any length up to the activated
  // maximum, in place allowed. Values stored since the last block are taken
  // at the start.
  virtual void process(const float* const* in, float* const* out, uint32_t frames) = 0;
  virtual void process(const double* const* in, double* const* out, uint32_t frames) = 0;

  // [any thread] Stores a normalised value, clamped to 0..1; taken by the
  // audio at the next block start.
  virtual void store(int index, float value) = 0;
  // [any thread] The stored value (0 outside the table).
  virtual float value(int index) const = 0;

  // [main thread] The 44-byte state, and loading one: false (and nothing
  // changed) for a state the effect refuses.
  virtual void saveState(StateBytes& state) const = 0;
  virtual bool loadState(const StateBytes& state) = 0;

  // [main or audio thread] Frames the output still sounds after silent input.
  virtual uint32_t tailFrames() const = 0;
};

std::unique_ptr<EffectSeam> makeEffect();

}  // namespace quillet_clap
