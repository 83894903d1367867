// Quillet: the echo effect of the VST 2.4 libraries. States its identity,
// creates the panel in the editor build and runs the core's echo on the
// host's blocks.
#pragma once

#include "vst/brindle_fx.h"

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
};
