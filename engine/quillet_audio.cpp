// Quillet's audio half: hands the stored parameter values to the echo engine
// and runs it on the host's blocks.
#include "engine/echo_engine.h"
#include "framework/quillet.h"
#include "platform/tick_count.h"

namespace {

// The engine's view of the parameter table, read afresh at each call.
EchoParams echoParamsFrom(const ParamEntry* table, uint16_t count) {
  EchoParams p;
  if (!table || count < kNumQuilletParams) return p;
  p.delay = table[kParamDelay].value;
  p.repeat = table[kParamRepeat].value;
  p.level = table[kParamLevel].value;
  p.range = table[kParamRange].value;
  p.mute = table[kParamMute].value;
  p.dry = table[kParamDry].value;
  p.pan = table[kParamPan].value;
  p.xFeed = table[kParamXFeed].value;
  p.monoOut = table[kParamMonoOut].value;
  p.knobDust = table[kParamKnobDust].value;
  p.pingPong = table[kParamPingPong].value;
  return p;
}

}  // namespace

void Quillet::sampleRateChanged(float rate) {
  engine.setTickSource(&platform::tickCount);
  engine.sampleRateChanged(rate, echoParamsFrom(params, paramCount));
}

void Quillet::parameterChanged(VstInt32 index, float /*value*/) {
  // The engine works from the stored (clamped) value, not the argument.
  engine.parameterChanged(index, echoParamsFrom(params, paramCount));
}

void Quillet::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  engine.process(echoParamsFrom(params, paramCount), monoIO != 0, inputs, outputs, sampleFrames);
}

void Quillet::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
  engine.process(echoParamsFrom(params, paramCount), monoIO != 0, inputs, outputs, sampleFrames);
}
