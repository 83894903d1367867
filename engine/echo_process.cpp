// The echo block on x86: two feedback delay lines with a 200 Hz high-pass, a
// 2500 Hz shelf and a 7000 Hz low-pass in the loop, erf saturation on the way
// into each line, cross-feed or ping-pong routing and the output mix, in SSE2
// (and AVX2 where the processor has it, echo_first_pass_avx2.cpp). All signal
// arithmetic is in 64-bit floats whatever the sample type.
#include "engine/echo_engine.h"
#include "engine/echo_first_pass.h"

namespace {

// Filters, routing and output mix of frames start .. start + count - 1; the
// erf arguments go to args. Filters and smoothers are worked on as local
// copies so they stay in registers.
// kRoute: 0 straight, 1 and 2 ping-pong, 3 the mono path. Without a glide
// every smoother returns its steady value, so the gains are read once.
template <int kRoute, bool kGliding, typename Sample>
void firstPassRouted(const FirstPass<Sample>& c, int32_t start, int32_t count, double* args) {
  OnePolePair hp = *c.hpState;
  BiquadPair shelf = *c.shelfState;
  BiquadPair lp = *c.lpState;
  ParamSmoother feedback = *c.feedbackState;
  ParamSmoother level = *c.levelState;
  ParamSmoother dry = *c.dryState;
  ParamSmoother pan = *c.panState;
  ParamSmoother xFeed = *c.xFeedState;
  int32_t w = c.pos;
  __m128d G = _mm_set1_pd(static_cast<double>(feedback.steadyValue()));
  __m128d Lv = _mm_set1_pd(static_cast<double>(level.steadyValue()));
  __m128d Dr = _mm_set1_pd(static_cast<double>(dry.steadyValue()));
  double P = static_cast<double>(pan.steadyValue());
  double X = static_cast<double>(xFeed.steadyValue());
  for (int32_t j = 0; j < count; ++j) {
    const int32_t i = start + j;
    if (kGliding) {
      G = _mm_set1_pd(static_cast<double>(feedback.step()));
      Lv = _mm_set1_pd(static_cast<double>(level.step()));
      Dr = _mm_set1_pd(static_cast<double>(dry.step()));
      P = static_cast<double>(pan.step());
      X = static_cast<double>(xFeed.step());
    }

    const __m128d t = _mm_loadh_pd(_mm_load_sd(c.lineL + w), c.lineR + w);
    const __m128d y = lp.step(_mm_add_pd(shelf.step(_mm_add_pd(hp.step(t), c.ad)), c.ad));
    routeFrame<kRoute>(c, i, y, FrameGains{G, Lv, Dr, P, X}, args + 2 * j);
    if (++w >= c.length) w = 0;
  }

  *c.hpState = hp;
  *c.shelfState = shelf;
  *c.lpState = lp;
  *c.feedbackState = feedback;
  *c.levelState = level;
  *c.dryState = dry;
  *c.panState = pan;
  *c.xFeedState = xFeed;
}

template <typename Sample>
void firstPass(const FirstPass<Sample>& c, int32_t start, int32_t count, double* args) {
  withRouting(c.mode, c.gliding(), [&](auto route, auto gliding) {
    firstPassRouted<decltype(route)::value, decltype(gliding)::value>(c, start, count, args);
  });
}

}  // namespace

// The echo block in chunks of at most 64 frames (and never more than the
// ring holds, so no position is read after it was written in the same chunk).
// The first pass runs the filters of both channels as one pair, the routing
// and the output mix, and keeps the two erf arguments of each frame; the
// second pass is the erf calls alone, which then run back to back. Each value
// is computed by the same operations in the same order as frame by frame.
template <typename Sample>
void EchoEngine::processEcho(const EchoParams& params, bool monoIO, const Sample* const* inputs,
                             Sample* const* outputs, int32_t sampleFrames) {
  const auto [mode, monoOut, chunkLimit] = beginEchoBlock(params, monoIO, sampleFrames);
  alignas(32) double args[2 * kMaxChunk];  // (left, right) erf argument per frame
  double* lineL = delayL.get();
  double* lineR = delayR.get();
  const Sample* inL = inputs[0];
  const Sample* inR = inputs[1];
  Sample* outL = outputs[0];
  Sample* outR = outputs[1];
  const __m128d ad = _mm_set1_pd(antiDenormal);
  OnePolePair hp(hpL, hpR);
  BiquadPair shelf(shelfL, shelfR);
  BiquadPair lp(lpL, lpR);

  const ErfArray erf = vectorErf ? widestVectorErf(widestPath) : nullptr;
  FirstPass<Sample> pass{inL,      inR,       outL,    outR, lineL, lineR, delayLength,
                         writePos, mode,      monoOut, erf,  ad,    &hp,   &shelf,
                         &lp,      &feedback, &level,  &dry, &pan,  &xFeed};
  const int32_t wideEnd =
      widestPath >= VectorPath::kAvx2 ? echoBlockAvx2(pass, sampleFrames, chunkLimit) : -1;
  if (wideEnd >= 0) {
    writePos = wideEnd;
  } else {
    for (int32_t start = 0; start < sampleFrames;) {
      const int32_t count = sampleFrames - start < chunkLimit ? sampleFrames - start : chunkLimit;
      firstPass(pass, start, count, args);
      writePos = writeLineChunk(lineL, lineR, writePos, delayLength, args, count, pass.vectorErf);
      pass.pos = writePos;
      start += count;
    }
  }

  hp.storeState(hpL, hpR);
  shelf.storeState(shelfL, shelfR);
  lp.storeState(lpL, lpR);
}

template void EchoEngine::processEcho(const EchoParams&, bool, const float* const*, float* const*,
                                      int32_t);
template void EchoEngine::processEcho(const EchoParams&, bool, const double* const*, double* const*,
                                      int32_t);
