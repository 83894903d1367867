// The echo block: two feedback delay lines with a 200 Hz high-pass, a 2500 Hz
// shelf and a 7000 Hz low-pass in the loop, erf saturation on the way into
// each line, cross-feed or ping-pong routing and the output mix. Two passes
// per chunk, with the left and right values of each filter step, routing and
// mix held as one pair of doubles (stereo_lanes.h): one SSE2 register on x86,
// one NEON register on aarch64. On x86 with AVX2 the block runs the 256-bit
// first pass instead (echo_first_pass_avx2.cpp), on aarch64 the NEON block
// (echo_block_neon.cpp). Every value is formed by the operations of the
// frame-by-frame loop in the same order, and the engine is built without
// contraction into fused multiply-adds, so the bits are the same. All signal
// arithmetic is in 64-bit floats whatever the sample type.
#include "engine/echo_chunk.h"
#include "engine/echo_engine.h"
#include "engine/echo_pass.h"
#ifdef QUILLET_NEON_ENGINE
#include "engine/echo_block_neon.h"
#endif

namespace quillet::engine {

namespace {

// Filters, routing and output mix of frames start .. start + count - 1; the
// erf arguments go to args. Filters and smoothers are worked on as local
// copies so they stay in registers. Without a glide every smoother returns
// its steady value, so the gains are read once.
template <int kRoute, bool kGliding, typename Sample>
void firstPassRouted(const EchoPass<Sample>& c, int32_t start, int32_t count, double* args) {
  OnePoleLanes hp = *c.hp;
  BiquadLanes shelf = *c.shelf;
  BiquadLanes lp = *c.lp;
  ParamSmoother feedback = *c.feedback;
  ParamSmoother level = *c.level;
  ParamSmoother dry = *c.dry;
  ParamSmoother pan = *c.pan;
  ParamSmoother xFeed = *c.xFeed;
  int32_t w = c.pos;
  double G = static_cast<double>(feedback.steadyValue());
  double Lv = static_cast<double>(level.steadyValue());
  double Dr = static_cast<double>(dry.steadyValue());
  double P = static_cast<double>(pan.steadyValue());
  double X = static_cast<double>(xFeed.steadyValue());
  for (int32_t j = 0; j < count; ++j) {
    if (kGliding) {
      G = static_cast<double>(feedback.step());
      Lv = static_cast<double>(level.step());
      Dr = static_cast<double>(dry.step());
      P = static_cast<double>(pan.step());
      X = static_cast<double>(xFeed.step());
    }
    const DoublePair t{c.lineL[w], c.lineR[w]};
    const DoublePair y = lp.step(shelf.step(hp.step(t) + c.ad) + c.ad);
    routeFrame<kRoute>(c, start + j, y, G, Lv, Dr, P, X, args + 2 * j);
    if (++w >= c.length) w = 0;
  }

  *c.hp = hp;
  *c.shelf = shelf;
  *c.lp = lp;
  *c.feedback = feedback;
  *c.level = level;
  *c.dry = dry;
  *c.pan = pan;
  *c.xFeed = xFeed;
}

template <typename Sample>
void firstPass(int mode, const EchoPass<Sample>& c, int32_t start, int32_t count, double* args) {
  withRouting(mode, c.gliding(), [&](auto route, auto gliding) {
    firstPassRouted<decltype(route)::value, decltype(gliding)::value>(c, start, count, args);
  });
}

}  // namespace

// The echo block in chunks of at most 64 frames (and never more than the
// ring holds, so no position is read after it was written in the same chunk):
// the first pass runs the filters, the routing and the output mix and keeps
// the two erf arguments of each frame; the second pass is the erf alone.
#ifndef QUILLET_PORTABLE_ENGINE
constexpr int32_t kWideFrom = 16;
#endif

template <typename Sample>
void EchoEngine::processEcho(const EchoParams& params, bool monoIO, const Sample* const* inputs,
                             Sample* const* outputs, int32_t sampleFrames) {
  const auto [mode, monoOut, chunkLimit] = beginEchoBlock(params, monoIO, sampleFrames);
  const ErfArray erf = vectorErf ? widestVectorErf(widestPath) : nullptr;
#ifndef QUILLET_PORTABLE_ENGINE
  // Short blocks (the pieces a block is split into at its automation points)
  // take the 128-bit loop: the 256-bit pass's set-up costs more than it saves
  // below kWideFrom frames.
  if (widestPath >= VectorPath::kAvx2 && sampleFrames >= kWideFrom &&
      echoBlockAvx2(*this, inputs, outputs, sampleFrames, mode, monoOut, chunkLimit, erf))
    return;
#endif
#ifdef QUILLET_NEON_ENGINE
  if (widestPath >= VectorPath::kNeon &&
      echoBlockNeon(*this, inputs, outputs, sampleFrames, mode, monoOut, chunkLimit, erf))
    return;
#endif
  double args[2 * kMaxChunk];  // (left, right) erf argument per frame
  double* lineL = delayL.get();
  double* lineR = delayR.get();
  OnePoleLanes hp(hpL, hpR);
  BiquadLanes shelf(shelfL, shelfR);
  BiquadLanes lp(lpL, lpR);
  EchoPass<Sample> pass{
      inputs[0], inputs[1],   outputs[0], outputs[1], lineL,
      lineR,     delayLength, writePos,   monoOut,    DoublePair{antiDenormal, antiDenormal},
      &hp,       &shelf,      &lp,        &feedback,  &level,
      &dry,      &pan,        &xFeed};
  for (int32_t start = 0; start < sampleFrames;) {
    const int32_t count = sampleFrames - start < chunkLimit ? sampleFrames - start : chunkLimit;
    firstPass(mode, pass, start, count, args);
    writePos = writeLineChunk(lineL, lineR, writePos, delayLength, args, count, erf);
    pass.pos = writePos;
    start += count;
  }

  hp.storeState(hpL, hpR);
  shelf.storeState(shelfL, shelfR);
  lp.storeState(lpL, lpR);
}

template void EchoEngine::processEcho(const EchoParams&, bool, const float* const*, float* const*,
                                      int32_t);
template void EchoEngine::processEcho(const EchoParams&, bool, const double* const*, double* const*,
                                      int32_t);

}  // namespace quillet::engine
