// The oracle of the sample loop: every step of a frame in order, scalar.
#include "engine/reference_process.h"

#include <cmath>
#include <utility>

#include "engine/echo_engine_probe.h"
#include "engine/line_stretch.h"

namespace quillet::engine {

namespace {

inline double lineValue(double x, double*& record) {
  if (record) *record++ = x;
  const double y = std::erf(x);
  return std::isfinite(y) ? y : 0.0;
}

inline float scaleByGain(float x, float g) { return x * g; }
inline double scaleByGain(double x, float g) { return x * static_cast<double>(g); }

template <typename Sample>
void processEchoDirect(EchoEngine& e, const EchoParams& params, bool monoIO,
                       const Sample* const* inputs, Sample* const* outputs, int32_t sampleFrames,
                       double* record) {
  EchoEngineProbe state(e);
  state.antiDenormal = -state.antiDenormal;
  state.feedback.settleTest();
  state.level.settleTest();
  state.dry.settleTest();
  state.pan.settleTest();
  state.xFeed.settleTest();
  e.resizeDelayLines(params);
  const bool monoOut = switchOn(params.monoOut());
  const int mode = threeWayPosition(params.pingPong());
  const double ad = state.antiDenormal;

  for (int32_t i = 0; i < sampleFrames; ++i) {
    const double G = state.feedback.step();
    const double Lv = state.level.step();
    const double Dr = state.dry.step();
    const double P = state.pan.step();
    const double X = state.xFeed.step();

    double inL = static_cast<double>(inputs[0][i]);
    double inR = static_cast<double>(inputs[1][i]);
    double PL = 1.0 - P;
    if (monoIO) {
      inR = 0.0;
      PL = 1.0;
    }

    double* lineL = state.delayL.get();
    double* lineR = state.delayR.get();
    const int32_t w = state.writePos;
    const double yL = state.lpL.step(state.shelfL.step(state.hpL.step(lineL[w]) + ad) + ad);
    const double yR = state.lpR.step(state.shelfR.step(state.hpR.step(lineR[w]) + ad) + ad);

    double eL = yL;
    double eR = yR;
    if (monoIO) {
      lineL[w] = lineValue(yL * G + inL, record);
      lineR[w] = lineValue(yR * G + inR, record);
    } else if (mode == 0) {
      const double mL = (yR - yL) * X + yL;
      const double mR = (yL - yR) * X + yR;
      lineL[w] = lineValue(mL * G + inL, record);
      lineR[w] = lineValue(mR * G + inR, record);
      eL = mL;
      eR = mR;
    } else if (mode == 1) {
      lineL[w] = lineValue(yR * G + inL, record);
      lineR[w] = lineValue(yL * G + ad, record);
    } else {
      lineL[w] = lineValue(yR * G + ad, record);
      lineR[w] = lineValue(yL * G + inR, record);
    }
    if (++state.writePos >= state.delayLength) state.writePos = 0;

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

template <typename Sample>
void processBlockDirect(EchoEngine& e, const EchoParams& params, bool monoIO,
                        const Sample* const* inputs, Sample* const* outputs, int32_t sampleFrames,
                        double* record) {
  EchoEngineProbe state(e);
  if (!inputs || !outputs || !inputs[0] || !inputs[1] || !outputs[0] || !outputs[1]) return;
  if (!e.hasDelayMemory()) {
    for (int32_t i = 0; i < sampleFrames; ++i) {
      const Sample l = inputs[0][i];
      const Sample r = inputs[1][i];
      outputs[0][i] = l;
      outputs[1][i] = r;
    }
    return;
  }
  if (!switchOn(params.mute())) {
    // Lines a mute left to be emptied are empty before the echo reads them.
    e.prepareLinesForEcho();
    processEchoDirect(e, params, monoIO, inputs, outputs, sampleFrames, record);
    e.countTowardsSpacing(sampleFrames);  // every block's frames count towards the spacing
    return;
  }
  state.muteGain.settleTest();
  for (int32_t i = 0; i < sampleFrames; ++i) {
    const Sample l = inputs[0][i];
    const Sample r = inputs[1][i];
    if (state.muteGain.settled) {
      outputs[0][i] = l;
      outputs[1][i] = r;
    } else {
      const float g = state.muteGain.step();
      outputs[0][i] = scaleByGain(l, g);
      outputs[1][i] = scaleByGain(r, g);
    }
  }
  e.countTowardsSpacing(sampleFrames);
}

}  // namespace

void processDirect(EchoEngine& engine, const EchoParams& params, bool monoIO,
                   const float* const* inputs, float* const* outputs, int32_t sampleFrames,
                   double* erfArguments) {
  processBlockDirect(engine, params, monoIO, inputs, outputs, sampleFrames, erfArguments);
}

void processDirect(EchoEngine& engine, const EchoParams& params, bool monoIO,
                   const double* const* inputs, double* const* outputs, int32_t sampleFrames,
                   double* erfArguments) {
  processBlockDirect(engine, params, monoIO, inputs, outputs, sampleFrames, erfArguments);
}

}  // namespace quillet::engine
