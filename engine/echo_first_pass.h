// The echo block's 256-bit first pass on x86 (echo_first_pass_avx2.cpp): the
// loop filters of both channels, the routing and the output mix, leaving the
// two erf arguments of every frame for the second pass; the same bits as the
// 128-bit loop of echo_process.cpp. What it reads and updates, and the
// routing of a single frame, which it takes for a chunk's odd last frame.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "engine/echo_chunk.h"
#include "engine/param_smoother.h"
#include "engine/stereo_filters.h"
#include "engine/vector_erf.h"
#include "engine/vector_paths.h"

// What the first pass of a chunk reads and updates.
template <typename Sample>
struct FirstPass {
  const Sample* inL;
  const Sample* inR;
  Sample* outL;
  Sample* outR;
  double* lineL;
  double* lineR;
  int32_t length;
  int32_t pos;  // line position of the chunk's first frame
  int mode;     // 0, 1, 2: routing; 3: the mono path
  bool monoOut;
  ErfArray vectorErf;  // null: the library's erf, call by call
  __m128d ad;
  OnePolePair* hpState;
  BiquadPair* shelfState;
  BiquadPair* lpState;
  ParamSmoother* feedbackState;
  ParamSmoother* levelState;
  ParamSmoother* dryState;
  ParamSmoother* panState;
  ParamSmoother* xFeedState;

  // Whether any smoother's value still changes from frame to frame.
  bool gliding() const {
    return !(feedbackState->holdsSteady() && levelState->holdsSteady() && dryState->holdsSteady() &&
             panState->holdsSteady() && xFeedState->holdsSteady());
  }
};

// The five control values of one frame, widened to 64 bits.
struct FrameGains {
  __m128d feedback;  // broadcast to both lanes
  __m128d level;
  __m128d dry;
  double pan;
  double xFeed;
};

// Routing and output mix of frame i, whose filtered line pair (left, right)
// is y: writes the frame's two erf arguments to arg and its output samples.
// kRoute: 0 straight with cross-feed, 1 and 2 ping-pong, 3 the mono path.
template <int kRoute, typename Sample>
inline void routeFrame(const FirstPass<Sample>& c, int32_t i, __m128d y, const FrameGains& g,
                       double* arg) {
  const double l = static_cast<double>(c.inL[i]);
  const double r = kRoute == 3 ? 0.0 : static_cast<double>(c.inR[i]);
  const __m128d in = _mm_set_pd(r, l);
  const __m128d panGains = _mm_set_pd(g.pan, kRoute == 3 ? 1.0 : 1.0 - g.pan);
  const __m128d swapped = _mm_shuffle_pd(y, y, 1);  // (yR, yL)

  __m128d e = y;
  __m128d a;
  if (kRoute == 0) {
    e = _mm_add_pd(_mm_mul_pd(_mm_sub_pd(swapped, y), _mm_set1_pd(g.xFeed)), y);
    a = _mm_add_pd(_mm_mul_pd(e, g.feedback), in);
  } else if (kRoute == 1) {
    a = _mm_add_pd(_mm_mul_pd(swapped, g.feedback), _mm_move_sd(c.ad, in));
  } else if (kRoute == 2) {
    a = _mm_add_pd(_mm_mul_pd(swapped, g.feedback), _mm_move_sd(in, c.ad));
  } else {
    a = _mm_add_pd(_mm_mul_pd(y, g.feedback), in);
  }
  _mm_store_pd(arg, a);

  const __m128d out =
      _mm_add_pd(_mm_mul_pd(_mm_mul_pd(e, g.level), panGains), _mm_mul_pd(in, g.dry));
  if (kRoute != 3 && c.monoOut) {
    const __m128d sum = _mm_add_sd(_mm_unpackhi_pd(out, out), out);  // outR + outL
    const Sample mono = static_cast<Sample>(_mm_cvtsd_f64(_mm_mul_sd(sum, _mm_set_sd(0.5))));
    c.outL[i] = mono;
    c.outR[i] = mono;
  } else {
    c.outL[i] = static_cast<Sample>(_mm_cvtsd_f64(out));
    c.outR[i] = static_cast<Sample>(_mm_cvtsd_f64(_mm_unpackhi_pd(out, out)));
  }
}

class EchoEngine;

// The whole echo block of `engine` with the 256-bit first pass, in chunks of
// at most chunkLimit (<= 64) frames, from its write position on, its filters,
// smoothers and write position updated. False (nothing done) where the
// processor has no AVX2 or the build has no such path.
template <typename Sample>
bool echoBlockAvx2(EchoEngine& engine, const Sample* const* inputs, Sample* const* outputs,
                   int32_t sampleFrames, int mode, bool monoOut, int32_t chunkLimit,
                   ErfArray vectorErf);
