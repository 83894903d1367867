// The sample loop: two feedback delay lines with a 200 Hz high-pass, a
// 2500 Hz shelf and a 7000 Hz low-pass in the loop, erf saturation on the way
// into each line, cross-feed or ping-pong routing and the output mix. All
// signal arithmetic is in 64-bit floats whatever the sample type.
#include <cmath>

#include "engine/echo_engine.h"

namespace {

// erf of a NaN is NaN; storing it would silence the echo for good. A value
// that is not finite is stored as 0 so the line recovers by itself. Finite
// results (always within ±1) are stored unchanged.
inline double lineValue(double x) {
  const double y = std::erf(x);
  return std::isfinite(y) ? y : 0.0;
}

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
  if (switchOn(params.mute)) {
    processMuted(inputs, outputs, sampleFrames);
  } else {
    processEcho(params, monoIO, inputs, outputs, sampleFrames);
  }
}

template <typename Sample>
void EchoEngine::processMuted(const Sample* const* inputs, Sample* const* outputs,
                              int32_t sampleFrames) {
  muteGain.settleTest();
  const Sample* inL = inputs[0];
  const Sample* inR = inputs[1];
  Sample* outL = outputs[0];
  Sample* outR = outputs[1];
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

template <typename Sample>
void EchoEngine::processEcho(const EchoParams& params, bool monoIO, const Sample* const* inputs,
                             Sample* const* outputs, int32_t sampleFrames) {
  antiDenormal = -antiDenormal;
  feedback.settleTest();
  level.settleTest();
  dry.settleTest();
  pan.settleTest();
  xFeed.settleTest();
  resizeDelayLines(params);
  const bool monoOut = switchOn(params.monoOut);
  const int mode = threeWayPosition(params.pingPong);

  for (int32_t i = 0; i < sampleFrames; ++i) {
    const double G = feedback.step();
    const double Lv = level.step();
    const double Dr = dry.step();
    const double P = pan.step();
    const double X = xFeed.step();

    double inL = static_cast<double>(inputs[0][i]);
    double inR = static_cast<double>(inputs[1][i]);
    double PL = 1.0 - P;
    if (monoIO) {
      inR = 0.0;
      PL = 1.0;
    }

    const double tL = delayL[writePos];
    const double yL = lpL.step(shelfL.step(hpL.step(tL) + antiDenormal) + antiDenormal);
    const double tR = delayR[writePos];
    const double yR = lpR.step(shelfR.step(hpR.step(tR) + antiDenormal) + antiDenormal);

    double eL = yL;
    double eR = yR;
    if (monoIO) {
      delayL[writePos] = lineValue(yL * G + inL);
      delayR[writePos] = lineValue(yR * G + inR);
    } else if (mode == 0) {
      const double mL = (yR - yL) * X + yL;
      const double mR = (yL - yR) * X + yR;
      delayL[writePos] = lineValue(mL * G + inL);
      delayR[writePos] = lineValue(mR * G + inR);
      eL = mL;
      eR = mR;
    } else if (mode == 1) {
      delayL[writePos] = lineValue(yR * G + inL);
      delayR[writePos] = lineValue(yL * G + antiDenormal);
    } else {
      delayL[writePos] = lineValue(yR * G + antiDenormal);
      delayR[writePos] = lineValue(yL * G + inR);
    }

    if (++writePos >= delayLength) writePos = 0;

    const double outL = eL * Lv * PL + inL * Dr;
    const double outR = eR * Lv * P + inR * Dr;
    if (monoOut && !monoIO) {
      const Sample mono = static_cast<Sample>((outR + outL) * 0.5);
      outputs[0][i] = mono;
      outputs[1][i] = mono;
    } else {
      outputs[0][i] = static_cast<Sample>(outL);
      outputs[1][i] = static_cast<Sample>(outR);
    }
  }
}
