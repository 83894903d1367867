// What the plug-in fuzzers share: an effect made through the entry point
// linked into the fuzzer, a host that answers as little as a host may, and
// stereo buffers whose output must stay finite whatever was sent.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "vst/interface/vst2_interface.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback host);

namespace quillet::test {

// Version 2400, and 0 (nothing, no time information) to everything else.
inline VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

inline VstIntPtr call(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                      void* ptr = nullptr, float opt = 0.0f) {
  return e->dispatcher(e, opcode, index, value, ptr, opt);
}

inline AEffect* openEffect() {
  AEffect* e = VSTPluginMain(quietHost);
  if (!e || e->magic != kEffectMagic) std::abort();
  call(e, effOpen);
  return e;
}

inline void closeEffect(AEffect* e) { call(e, effClose); }

constexpr int kMaxFrames = 512;

// Two channels in, two out, in both precisions; the input is a fixed signal.
template <typename T>
struct Stereo {
  std::vector<T> in[2], out[2];
  T* inputs[2];
  T* outputs[2];
  Stereo() {
    for (int c = 0; c < 2; ++c) {
      in[c].resize(kMaxFrames);
      out[c].resize(kMaxFrames);
      for (int i = 0; i < kMaxFrames; ++i)
        in[c][i] = static_cast<T>(0.7 * std::sin(0.05 * i + c) * (i % 97 == 0 ? 1.0 : 0.3));
      inputs[c] = in[c].data();
      outputs[c] = out[c].data();
    }
  }
  // Echo output is bounded: anything else is a finding.
  void check(int frames) const {
    for (int c = 0; c < 2; ++c) {
      for (int i = 0; i < frames; ++i) {
        if (!(std::fabs(static_cast<double>(out[c][i])) < 100.0)) {
          std::fprintf(stderr, "output %d at frame %d is %g\n", c, i,
                       static_cast<double>(out[c][i]));
          std::abort();
        }
      }
    }
  }
};

inline void processBlock(AEffect* e, Stereo<float>& s, int frames) {
  e->processReplacing(e, s.inputs, s.outputs, frames);
  s.check(frames);
}

inline void processBlock(AEffect* e, Stereo<double>& s, int frames) {
  e->processDoubleReplacing(e, s.inputs, s.outputs, frames);
  s.check(frames);
}

}  // namespace quillet::test
