// Quillet's audio half: hands the stored parameter values to the echo engine
// and runs it on the host's blocks.
#include "engine/echo_engine.h"
#include "engine/echo_params.h"
#include "framework/quillet.h"
#include "core/param_table.h"
#include "platform/tick_count.h"

namespace {

// The engine keeps its own copy of the parameter numbering, thresholds and
// defaults so that it stays free of the framework; they must be the table's.
constexpr bool sameNumbering() {
  constexpr int engine[] = {kEchoDelay,   kEchoRepeat,   kEchoLevel,    kEchoRange,
                            kEchoMute,    kEchoDry,      kEchoPan,      kEchoXFeed,
                            kEchoMonoOut, kEchoKnobDust, kEchoPingPong, kEchoParamCount};
  constexpr int table[] = {kParamDelay,   kParamRepeat,   kParamLevel,    kParamRange,
                           kParamMute,    kParamDry,      kParamPan,      kParamXFeed,
                           kParamMonoOut, kParamKnobDust, kParamPingPong, kNumQuilletParams};
  for (int i = 0; i < 12; ++i)
    if (engine[i] != table[i]) return false;
  return true;
}
static_assert(sameNumbering(), "the engine numbers the parameters as the table does");
static_assert(kEchoSecondPosition == kSwitchSecondPosition &&
                  kEchoThirdPosition == kSwitchThirdPosition,
              "the engine splits three-way switches where the table says");

constexpr EchoParams kEngineDefaults{};
static_assert(kEngineDefaults.delay == kQuilletParams[kParamDelay].defaultValue &&
                  kEngineDefaults.repeat == kQuilletParams[kParamRepeat].defaultValue &&
                  kEngineDefaults.level == kQuilletParams[kParamLevel].defaultValue &&
                  kEngineDefaults.range == kQuilletParams[kParamRange].defaultValue &&
                  kEngineDefaults.mute == kQuilletParams[kParamMute].defaultValue &&
                  kEngineDefaults.dry == kQuilletParams[kParamDry].defaultValue &&
                  kEngineDefaults.pan == kQuilletParams[kParamPan].defaultValue &&
                  kEngineDefaults.xFeed == kQuilletParams[kParamXFeed].defaultValue &&
                  kEngineDefaults.monoOut == kQuilletParams[kParamMonoOut].defaultValue &&
                  kEngineDefaults.knobDust == kQuilletParams[kParamKnobDust].defaultValue &&
                  kEngineDefaults.pingPong == kQuilletParams[kParamPingPong].defaultValue,
              "the engine starts from the table's defaults");

float* engineField(EchoParams& p, VstInt32 index) {
  switch (index) {
    case kParamDelay:
      return &p.delay;
    case kParamRepeat:
      return &p.repeat;
    case kParamLevel:
      return &p.level;
    case kParamRange:
      return &p.range;
    case kParamMute:
      return &p.mute;
    case kParamDry:
      return &p.dry;
    case kParamPan:
      return &p.pan;
    case kParamXFeed:
      return &p.xFeed;
    case kParamMonoOut:
      return &p.monoOut;
    case kParamKnobDust:
      return &p.knobDust;
    case kParamPingPong:
      return &p.pingPong;
    default:
      return nullptr;
  }
}

}  // namespace

void Quillet::sampleRateChanged(float rate) {
  engine.setTickSource(&platform::tickCount);
  engine.sampleRateChanged(rate, engineParams);
}

void Quillet::restarted() { engine.restart(engineParams); }

void Quillet::parameterChanged(VstInt32 index, float value) {
  float* field = engineField(engineParams, index);
  if (!field) return;
  *field = value;
  engine.parameterChanged(index, engineParams);
}

void Quillet::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  applyPendingChanges();
  engine.process(engineParams, monoIO != 0, inputs, outputs, sampleFrames);
}

void Quillet::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
  applyPendingChanges();
  engine.process(engineParams, monoIO != 0, inputs, outputs, sampleFrames);
}
