// Helpers shared by the engine tests: a ready engine and block rendering.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/echo_engine.h"

namespace quillet::test {

inline uint32_t tickZero() { return 0u; }

// Parameters for hearing the echo alone: "Level" 1, "Dry" 0, "Repeat" 0.
// "Pan" 0 hears only the left echo, 0.5 both at half amplitude.
inline engine::EchoParams echoOnly(float pan = 0.5f) {
  engine::EchoParams p;
  p[engine::kParamLevel] = 1.0f;
  p[engine::kParamDry] = 0.0f;
  p[engine::kParamPan] = pan;
  return p;
}

// A stereo signal held as two channel vectors.
template <typename Sample>
struct Stereo {
  std::vector<Sample> left, right;
  explicit Stereo(size_t frames = 0) : left(frames, Sample(0)), right(frames, Sample(0)) {}
  size_t size() const { return left.size(); }
};

// Runs `in` through the engine in blocks of `block` samples.
template <typename Sample>
Stereo<Sample> render(engine::EchoEngine& engine, const engine::EchoParams& params,
                      const Stereo<Sample>& in, size_t block = 512, bool monoIO = false) {
  Stereo<Sample> out(in.size());
  for (size_t start = 0; start < in.size(); start += block) {
    const size_t n = in.size() - start < block ? in.size() - start : block;
    const Sample* ins[2] = {in.left.data() + start, in.right.data() + start};
    Sample* outs[2] = {out.left.data() + start, out.right.data() + start};
    engine.process(params, monoIO, ins, outs, static_cast<int32_t>(n));
  }
  return out;
}

// An engine set up at rate fs with fixed noise seed 0.
inline void prepare(engine::EchoEngine& engine, float fs, const engine::EchoParams& params) {
  engine.setTickSource(&tickZero);
  engine.sampleRateChanged(fs, params);
}

// Index of the first sample whose magnitude exceeds `threshold`, or -1.
template <typename Sample>
long firstAbove(const std::vector<Sample>& x, double threshold, size_t from = 0) {
  for (size_t i = from; i < x.size(); ++i) {
    if (x[i] > threshold || x[i] < -threshold) return static_cast<long>(i);
  }
  return -1;
}

}  // namespace quillet::test
