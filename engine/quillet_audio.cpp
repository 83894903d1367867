// Placeholder until the echo engine lands: audio passes through unchanged.
#include <cstring>

#include "framework/quillet.h"

void Quillet::sampleRateChanged(float /*rate*/) {}
void Quillet::parameterChanged(VstInt32 /*index*/, float /*value*/) {}

template <typename T>
static void passThrough(T** inputs, T** outputs, VstInt32 sampleFrames) {
  if (!inputs || !outputs || sampleFrames <= 0) return;
  for (int c = 0; c < 2; ++c) {
    if (!inputs[c] || !outputs[c]) continue;
    if (inputs[c] != outputs[c]) std::memmove(outputs[c], inputs[c], sizeof(T) * sampleFrames);
  }
}

void Quillet::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  passThrough(inputs, outputs, sampleFrames);
}
void Quillet::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
  passThrough(inputs, outputs, sampleFrames);
}
