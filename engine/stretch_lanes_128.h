// The portable engine's run of the stretch (line_stretch.cpp), two frames at
// a time in GCC vectors: NEON on aarch64. It is the SSE2 run's arithmetic
// lane for lane: positions x and x + inc exact inside one binade, the four
// generator states of two frames advanced by one jump of four steps, the
// noise formed in single precision and widened, and each frame's (left,
// right) pair interpolated as one vector. The same bits as the plain frames.
#pragma once

#include <cstdint>

#include "engine/line_stretch.h"
#include "engine/stretch_noise.h"

namespace stretchpairs {

using Pair = double __attribute__((vector_size(16)));
using States = uint32_t __attribute__((vector_size(16)));
using Floats = float __attribute__((vector_size(16)));
using FloatPair = float __attribute__((vector_size(8)));

constexpr NoiseJump kJump4 = noiseJump(4);

// Interpolated pair (left, right) at position k + f, for k < oldLength - 1.
inline Pair interpolate(const StretchRings& r, int32_t k, double f) {
  const Pair a{r.oldL[k], r.oldR[k]};
  const Pair b{r.oldL[k + 1], r.oldR[k + 1]};
  return (b - a) * f + a;
}

// Frames i, i+1, ... while both frames of each pair stay inside one binade of
// x and read below the last old sample. x advances by `inc` per frame, which
// equals the rounded addition there. Returns the number of frames written.
inline int32_t fastRun(const StretchRings& r, int32_t i, double& position, double inc, double limit,
                       uint32_t& s) {
  // A local copy: the stores into the new ring could alias the caller's x.
  double x = position;
  const int32_t start = i;
  const uint32_t s1 = nextNoiseState(s);
  const uint32_t s2 = nextNoiseState(s1);
  const uint32_t s3 = nextNoiseState(s2);
  const uint32_t s4 = nextNoiseState(s3);
  States states{s1, s2, s3, s4};  // left and right of frame i, then of frame i + 1
  const double pairInc = inc + inc;
  Pair xs{x, x + inc};
  bool any = false;

  while (i + 2 <= r.newLength && x + pairInc < limit) {
    if (any) states = states * kJump4.mul + kJump4.add;
    any = true;
    const int32_t k0 = static_cast<int32_t>(xs[0]);
    const int32_t k1 = static_cast<int32_t>(xs[1]);
    const double f0 = xs[0] - static_cast<double>(k0);
    const double f1 = xs[1] - static_cast<double>(k1);

    // stretchNoise of the four states: the top 23 bits as the mantissa of a
    // float in [2, 4), centred and halved in single precision, then widened.
    const Floats unit = reinterpret_cast<Floats>((states >> 9) | 0x40000000u);
    const Floats centred = (unit - 3.0f) * 0.5f;
    const Pair noise0 = __builtin_convertvector((FloatPair{centred[0], centred[1]}), Pair) * 5e-5;
    const Pair noise1 = __builtin_convertvector((FloatPair{centred[2], centred[3]}), Pair) * 5e-5;

    const Pair v0 = interpolate(r, k0, f0) + noise0;
    const Pair v1 = interpolate(r, k1, f1) + noise1;
    r.newL[i] = v0[0];
    r.newR[i] = v0[1];
    r.newL[i + 1] = v1[0];
    r.newR[i + 1] = v1[1];

    i += 2;
    x = x + pairInc;  // exact: a multiple of the ulp, still inside the binade
    xs = xs + pairInc;
  }
  if (any) s = states[3];
  position = x;
  return i - start;
}

}  // namespace stretchpairs
