// Quillet: the echo effect. Fills the parameter table, states its identity and
// runs the echo engine on the host's audio.
#pragma once

#include "engine/echo_engine.h"
#include "framework/brindle_fx.h"
#include "framework/quillet_params.h"

class Quillet : public BrindleFX {
 public:
  explicit Quillet(audioMasterCallback audioMaster);
  ~Quillet() override;

  void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
  void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;

  bool getEffectName(char* name) override;
  bool getProductString(char* text) override;
  VstInt32 getVendorVersion() override;
  VstInt32 getPlugCategory() override;

  void sampleRateChanged(float rate) override;
  void parameterChanged(VstInt32 index, float value) override;

 private:
  EchoEngine engine;
};
