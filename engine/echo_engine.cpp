#include "engine/echo_engine.h"

#include <algorithm>
#include <new>

#include "engine/delay_length.h"
#include "engine/filter_design.h"

namespace quillet::engine {

int32_t EchoEngine::capacity() const { return hasDelayMemory() ? delayCapacity(sampleRate) : 0; }

int32_t EchoEngine::targetDelayLength(const EchoParams& params) const {
  return wholeDelayLength(delaySamples(params.delay(), params.range(), sampleRate), capacity());
}

void EchoEngine::releaseDelayMemory() {
  underWay.active = false;
  delayL.reset();
  delayR.reset();
  spareL.reset();
  spareR.reset();
  scratchL.reset();
  scratchR.reset();
}

// Both pairs of lines, and room for the 2 x 1 ms of old samples the splice
// blends back in.
bool EchoEngine::allocateDelayMemory(int32_t elements) {
  const size_t n = static_cast<size_t>(elements);
  const int32_t splice = static_cast<int32_t>(static_cast<double>(sampleRate) * 0.001);
  const size_t kept = static_cast<size_t>(2 * std::max(splice, 1));
  delayL.reset(new (std::nothrow) double[n]);
  delayR.reset(new (std::nothrow) double[n]);
  spareL.reset(new (std::nothrow) double[n]);
  spareR.reset(new (std::nothrow) double[n]);
  scratchL.reset(new (std::nothrow) double[kept]);
  scratchR.reset(new (std::nothrow) double[kept]);
  if (delayL && delayR && spareL && spareR && scratchL && scratchR) return true;
  releaseDelayMemory();
  return false;
}

void EchoEngine::setStretchFunction(StretchFunction function) {
  finishStretch();
  stretch = function;
}

void EchoEngine::resetDelayLines(const EchoParams& params) {
  writePos = 0;
  underWay.active = false;
  if (!hasDelayMemory()) {
    delayLength = 0;
    return;
  }
  // All four arrays, so that every page of them is in memory before the
  // first block.
  clearLines(delayL.get(), delayR.get(), 0, capacity());
  clearLines(spareL.get(), spareR.get(), 0, capacity());
  linesInUse = false;
  linesUncleared = spareUncleared = Uncleared{};
  delayLength = targetDelayLength(params);
}

void EchoEngine::sampleRateChanged(float fs, const EchoParams& params) {
  sampleRate = fs;
  releaseDelayMemory();
  const int32_t elements = delayCapacity(fs);
  if (elements <= 0 || !allocateDelayMemory(elements)) {
    // Unusable rate or no memory: stay in pass-through.
    writePos = 0;
    delayLength = 0;
    return;
  }
  spacingFrames = stretchSpacingFrames(static_cast<double>(fs));
  framesSinceStretch = INT32_MAX;
  resetDelayLines(params);

  const double rate = static_cast<double>(fs);
  designHighPass(hpL, rate);
  designHighPass(hpR, rate);
  designHighShelf(shelfL, rate);
  designHighShelf(shelfR, rate);
  designLowPass(lpL, rate);
  designLowPass(lpR, rate);

  muteGain.coefficient = smootherCoefficient(fs, 20.0f);
  const float glide = smootherCoefficient(fs, 10.0f);
  level.coefficient = glide;
  feedback.coefficient = glide;
  dry.coefficient = glide;
  pan.coefficient = glide;
  xFeed.coefficient = glide;

  jumpSmoothersTo(params);
}

void EchoEngine::jumpSmoothersTo(const EchoParams& params) {
  level.jumpTo(params.level());
  feedback.jumpTo(2.0f * params.repeat());
  dry.jumpTo(params.dry());
  pan.jumpTo(params.pan());
  xFeed.jumpTo(params.xFeed());
}

void EchoEngine::clearFilterStates() {
  hpL.clearState();
  hpR.clearState();
  shelfL.clearState();
  shelfR.clearState();
  lpL.clearState();
  lpR.clearState();
}

void EchoEngine::restart(const EchoParams& params) {
  restartLinesEmpty(params);
  antiDenormal = kAntiDenormal;
  clearFilterStates();
  jumpSmoothersTo(params);
}

void EchoEngine::parameterChanged(int index, const EchoParams& params) {
  switch (index) {
    case kParamRepeat:
      feedback.retarget(2.0f * params.repeat());
      break;
    case kParamLevel:
      level.retarget(params.level());
      break;
    case kParamMute:
      if (switchOn(params.mute())) runMuteSequence(params);
      break;
    case kParamDry:
      dry.retarget(params.dry());
      break;
    case kParamPan:
      pan.retarget(params.pan());
      break;
    case kParamXFeed:
      xFeed.retarget(params.xFeed());
      break;
    default:
      // "Delay" and "Range" act through the next resize; the switches are
      // read at each block.
      break;
  }
}

void EchoEngine::runMuteSequence(const EchoParams& params) {
  muteGain.retarget(1.0f);
  restartLinesEmpty(params);
  level.snap();
  feedback.snap();
  dry.snap();
  pan.snap();
  xFeed.snap();
  clearFilterStates();
}

}  // namespace quillet::engine
