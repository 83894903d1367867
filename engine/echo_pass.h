// The first pass of an echo chunk, shared by both widths of the block loop
// (the 128-bit one of echo_process.cpp and the 256-bit one of
// echo_first_pass_avx2.cpp): what it reads and updates, and the routing and
// output mix of one frame. Values are (left, right) pairs of doubles
// (stereo_lanes.h), every product and sum formed in the order of the
// frame-by-frame loop, so each lane gives the same bits as the scalar code.
#pragma once

#include <cstdint>

#include "engine/echo_chunk.h"
#include "engine/param_smoother.h"
#include "engine/stereo_lanes.h"

namespace quillet::engine {

template <typename Sample>
struct EchoPass {
  const Sample* inL;
  const Sample* inR;
  Sample* outL;
  Sample* outR;
  double* lineL;
  double* lineR;
  int32_t length;
  int32_t pos;  // line position of the chunk's first frame
  bool monoOut;
  DoublePair ad;  // antiDenormal in both lanes
  OnePoleLanes* hp;
  BiquadLanes* shelf;
  BiquadLanes* lp;
  ParamSmoother* feedback;
  ParamSmoother* level;
  ParamSmoother* dry;
  ParamSmoother* pan;
  ParamSmoother* xFeed;

  // Whether any smoother's value still changes from frame to frame.
  bool gliding() const {
    return !(feedback->holdsSteady() && level->holdsSteady() && dry->holdsSteady() &&
             pan->holdsSteady() && xFeed->holdsSteady());
  }
};

// Routing and output mix of frame i, whose filtered line pair (left, right)
// is y: writes the frame's two erf arguments to arg and its output samples.
// kRoute: 0 straight with cross-feed, 1 and 2 ping-pong, 3 the mono path.
template <int kRoute, typename Sample>
inline void routeFrame(const EchoPass<Sample>& c, int32_t i, DoublePair y, double G, double Lv,
                       double Dr, double P, double X, double* arg) {
  const double l = static_cast<double>(c.inL[i]);
  const double r = kRoute == 3 ? 0.0 : static_cast<double>(c.inR[i]);
  const DoublePair in{l, r};
  const DoublePair panGains{kRoute == 3 ? 1.0 : 1.0 - P, P};
  const DoublePair swapped{y[1], y[0]};  // (yR, yL)

  DoublePair e = y;
  DoublePair a;
  if (kRoute == 0) {
    e = (swapped - y) * X + y;
    a = e * G + in;
  } else if (kRoute == 1) {
    a = swapped * G + DoublePair{l, c.ad[1]};
  } else if (kRoute == 2) {
    a = swapped * G + DoublePair{c.ad[0], r};
  } else {
    a = y * G + in;
  }
  arg[0] = a[0];
  arg[1] = a[1];

  const DoublePair out = e * Lv * panGains + in * Dr;
  if (kRoute != 3 && c.monoOut) {
    const Sample mono = static_cast<Sample>((out[1] + out[0]) * 0.5);  // (outR + outL) / 2
    c.outL[i] = mono;
    c.outR[i] = mono;
  } else {
    c.outL[i] = static_cast<Sample>(out[0]);
    c.outR[i] = static_cast<Sample>(out[1]);
  }
}

class EchoEngine;

// The whole echo block of `engine` with the 256-bit first pass, in chunks of
// at most chunkLimit (<= 64) frames, from its write position on, its filters,
// smoothers and write position updated (echo_first_pass_avx2.cpp). False
// (nothing done) where the processor has no AVX2 or the build has no such
// path.
template <typename Sample>
bool echoBlockAvx2(EchoEngine& engine, const Sample* const* inputs, Sample* const* outputs,
                   int32_t sampleFrames, int mode, bool monoOut, int32_t chunkLimit,
                   ErfArray vectorErf);

}  // namespace quillet::engine
