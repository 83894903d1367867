// The echo's cost per frame on arm64, as qemu counts the instructions it
// runs (scripts/arm64_cost.py): FRAMES frames of the engine at 48 kHz in
// blocks of 128, as a JACK pedal runs it, the controls steady or gliding.
// Built twice, on the NEON loops and on the portable ones; the count of a
// short run taken from a long one leaves the frames alone.
//   arm64_frame_cost[_portable] FRAMES [glide]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/echo_engine.h"

using namespace quillet::engine;

int main(int argc, char** argv) {
  const long frames = argc > 1 ? std::atol(argv[1]) : 0;
  const bool glide = argc > 2 && std::strcmp(argv[2], "glide") == 0;
  EchoEngine engine;
  EchoParams params;
  params[kParamDelay] = 0.4f;  // 82 ms
  params[kParamRepeat] = 0.45f;
  params[kParamLevel] = 0.8f;
  params[kParamXFeed] = 0.2f;
  engine.sampleRateChanged(48000.0f, params);
  constexpr int32_t kBlock = 128;
  std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
  uint32_t s = 1;
  for (int32_t i = 0; i < kBlock; ++i) {
    s = s * 1664525u + 1013904223u;
    inL[i] = (static_cast<float>(s >> 8) / 8388608.0f - 1.0f) * 0.5f;
    inR[i] = -0.7f * inL[i];
  }
  const float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  double heard = 0.0;
  for (long done = 0; done < frames; done += kBlock) {
    // A knob that keeps moving: every smoother glides all the time.
    if (glide) {
      params[kParamLevel] = (done / kBlock) % 2 ? 0.8f : 0.7f;
      engine.parameterChanged(kParamLevel, params);
    }
    engine.process(params, false, in, out, kBlock);
    heard += outL[7] + outR[9];
  }
  std::printf("%g\n", heard);
  return 0;
}
