// One block of audio: the choice between the mute bypass and the echo, and
// the bypass itself. The echo block (processEcho) is in echo_process.cpp.
#include "engine/echo_chunk.h"
#include "engine/echo_engine.h"

namespace quillet::engine {

namespace {

// Both inputs of a frame are read before either output is written, so any
// sharing of buffers between inputs and outputs is safe.
template <typename Sample>
void copyThrough(const Sample* const* inputs, Sample* const* outputs, int32_t sampleFrames) {
  for (int32_t i = 0; i < sampleFrames; ++i) {
    const Sample l = inputs[0][i];
    const Sample r = inputs[1][i];
    outputs[0][i] = l;
    outputs[1][i] = r;
  }
}

// The mute fade's product: 32-bit samples are scaled in single precision,
// 64-bit samples by the widened gain.
inline float scaleByGain(float x, float g) { return x * g; }
inline double scaleByGain(double x, float g) { return x * static_cast<double>(g); }

}  // namespace

void EchoEngine::process(const EchoParams& params, bool monoIO, const float* const* inputs,
                         float* const* outputs, int32_t sampleFrames) {
  processBlock(params, monoIO, inputs, outputs, sampleFrames);
}

void EchoEngine::process(const EchoParams& params, bool monoIO, const double* const* inputs,
                         double* const* outputs, int32_t sampleFrames) {
  processBlock(params, monoIO, inputs, outputs, sampleFrames);
}

template <typename Sample>
void EchoEngine::processBlock(const EchoParams& params, bool monoIO, const Sample* const* inputs,
                              Sample* const* outputs, int32_t sampleFrames) {
  if (!inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] || !outputs[1]) return;
  if (!hasDelayMemory()) {
    copyThrough(inputs, outputs, sampleFrames);
    return;
  }
  if (switchOn(params.mute())) {
    continueLineClear(sampleFrames);
    processMuted(inputs, outputs, sampleFrames);
  } else {
    processEcho(params, monoIO, inputs, outputs, sampleFrames);
  }
  countTowardsSpacing(sampleFrames);
}

template <typename Sample>
void EchoEngine::processMuted(const Sample* const* inputs, Sample* const* outputs,
                              int32_t sampleFrames) {
  muteGain.settleTest();
  const Sample* inL = inputs[0];
  const Sample* inR = inputs[1];
  Sample* outL = outputs[0];
  Sample* outR = outputs[1];
  if (muteGain.holdsSteady()) {
    // Every step would give this gain (or the fade has settled: a copy).
    if (muteGain.settled) {
      copyThrough(inputs, outputs, sampleFrames);
      return;
    }
    const float g = muteGain.steadyValue();
    for (int32_t i = 0; i < sampleFrames; ++i) {
      const Sample l = inL[i];
      const Sample r = inR[i];
      outL[i] = scaleByGain(l, g);
      outR[i] = scaleByGain(r, g);
    }
    return;
  }
  for (int32_t i = 0; i < sampleFrames; ++i) {
    const Sample l = inL[i];
    const Sample r = inR[i];
    if (muteGain.settled) {
      outL[i] = l;
      outR[i] = r;
    } else {
      const float g = muteGain.step();
      outL[i] = scaleByGain(l, g);
      outR[i] = scaleByGain(r, g);
    }
  }
}

EchoEngine::EchoBlockStart EchoEngine::beginEchoBlock(const EchoParams& params, bool monoIO,
                                                      int32_t sampleFrames) {
  antiDenormal = -antiDenormal;
  feedback.settleTest();
  level.settleTest();
  dry.settleTest();
  pan.settleTest();
  xFeed.settleTest();
  // A stretch begins if the delay length changed (and the spacing allows);
  // the block makes what it reads of a stretch being made, and a share of
  // the rest (delay_resize.cpp).
  beginStretch(params);
  makeStretchAhead(sampleFrames);
  // What of the lines the block reads is empty in memory too.
  clearAheadOfEcho(sampleFrames);
  // Never more than the ring holds: no position is read after it was
  // written in the same chunk.
  return {monoIO ? 3 : threeWayPosition(params.pingPong()), switchOn(params.monoOut()) && !monoIO,
          delayLength < kMaxChunk ? delayLength : kMaxChunk};
}

}  // namespace quillet::engine
