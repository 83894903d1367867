#include "engine/echo_engine.h"

#include <algorithm>
#include <new>

#include "engine/delay_length.h"
#include "engine/filter_design.h"

int32_t EchoEngine::capacity() const { return hasDelayMemory() ? delayCapacity(sampleRate) : 0; }

int32_t EchoEngine::targetDelayLength(const EchoParams& params) const {
  return wholeDelayLength(delaySamples(params.delay(), params.range(), sampleRate), capacity());
}

void EchoEngine::releaseDelayMemory() {
  delayL.reset();
  delayR.reset();
  scratchL.reset();
  scratchR.reset();
  spareL.reset();
  spareR.reset();
}

// The in-place stretch's room for rings up to the capacity, and the 2 x 1 ms
// of old samples the splice blends back in.
int32_t EchoEngine::scratchElements(int32_t elements) const {
  const int32_t splice = static_cast<int32_t>(static_cast<double>(sampleRate) * 0.001);
  return stretchScratchElements(elements, 2 * std::max(splice, 0));
}

bool EchoEngine::allocateDelayMemory(int32_t elements) {
  const size_t n = static_cast<size_t>(elements);
  delayL.reset(new (std::nothrow) double[n]);
  delayR.reset(new (std::nothrow) double[n]);
  const size_t scratch = delayL && delayR ? static_cast<size_t>(scratchElements(elements)) : 0;
  if (scratch > 0) {
    scratchL.reset(new (std::nothrow) double[scratch]);
    scratchR.reset(new (std::nothrow) double[scratch]);
  }
  if (delayL && delayR && scratchL && scratchR &&
      (stretch == &stretchRings || allocateSpareLines(elements)))
    return true;
  releaseDelayMemory();
  return false;
}

bool EchoEngine::allocateSpareLines(int32_t elements) {
  const size_t n = static_cast<size_t>(elements);
  spareL.reset(new (std::nothrow) double[n]);
  spareR.reset(new (std::nothrow) double[n]);
  if (spareL && spareR) return true;
  spareL.reset();
  spareR.reset();
  return false;
}

void EchoEngine::setStretchFunction(StretchFunction function) {
  stretch = function;
  if (function == &stretchRings) {
    spareL.reset();
    spareR.reset();
  } else if (hasDelayMemory() && !spareL && !allocateSpareLines(capacity())) {
    releaseDelayMemory();  // as a setup short of memory leaves the engine
    writePos = 0;
    delayLength = 0;
  }
}

void EchoEngine::resetDelayLines(const EchoParams& params) {
  writePos = 0;
  if (!hasDelayMemory()) {
    delayLength = 0;
    return;
  }
  clearLines(0, capacity());
  linesInUse = false;
  unclearedFrom = unclearedTo = 0;
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
