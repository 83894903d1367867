// Stands in for the core object until it lands: parameter values and state
// behave as the effect's do (clamped stores, strict state load), the audio
// passes through unchanged and nothing rings on.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "clap/effect_seam.h"
#include "core/param_table.h"

namespace quillet_clap {
namespace {

class StandInEffect final : public EffectSeam {
 public:
  StandInEffect() {
    for (int i = 0; i < kNumQuilletParams; ++i) {
      values_[i].store(kQuilletParams[i].defaultValue, std::memory_order_relaxed);
    }
  }

  bool activate(double sampleRate, uint32_t maxFrames) override {
    return sampleRate > 0.0 && std::isfinite(sampleRate) && maxFrames > 0;
  }
  void deactivate() override {}
  void reset() override {}

  void process(const float* const* in, float* const* out, uint32_t frames) override {
    passThrough(in, out, frames);
  }
  void process(const double* const* in, double* const* out, uint32_t frames) override {
    passThrough(in, out, frames);
  }

  void store(int index, float value) override {
    if (index < 0 || index >= kNumQuilletParams || std::isnan(value)) return;
    values_[index].store(std::clamp(value, 0.0f, 1.0f), std::memory_order_relaxed);
  }
  float value(int index) const override {
    if (index < 0 || index >= kNumQuilletParams) return 0.0f;
    return values_[index].load(std::memory_order_relaxed);
  }

  void saveState(StateBytes& state) const override {
    float values[kNumQuilletParams];
    for (int i = 0; i < kNumQuilletParams; ++i) values[i] = value(i);
    encodeState(values, state);
  }
  bool loadState(const StateBytes& state) override {
    float values[kNumQuilletParams];
    for (int i = 0; i < kNumQuilletParams; ++i) {
      uint32_t bits = 0;
      for (int b = 0; b < 4; ++b) bits |= static_cast<uint32_t>(state[4 * i + b]) << (8 * b);
      std::memcpy(&values[i], &bits, sizeof(bits));
      if (!std::isfinite(values[i])) return false;
    }
    for (int i = 0; i < kNumQuilletParams; ++i) store(i, values[i]);
    return true;
  }

  uint32_t tailFrames() const override { return 0; }

 private:
  template <typename Sample>
  static void passThrough(const Sample* const* in, Sample* const* out, uint32_t frames) {
    for (int channel = 0; channel < 2; ++channel) {
      if (in[channel] != out[channel])
        std::memmove(out[channel], in[channel], frames * sizeof(Sample));
    }
  }

  std::atomic<float> values_[kNumQuilletParams];
};

}  // namespace

std::unique_ptr<EffectSeam> makeEffect() { return std::make_unique<StandInEffect>(); }

}  // namespace quillet_clap
