// Quillet: the echo effect. Fills the parameter table, states its identity and
// runs the echo engine on the host's audio.
#pragma once

#include "engine/echo_engine.h"
#include "framework/brindle_fx.h"
#include "core/param_table.h"

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
  void restarted() override;
  // Runs on the audio thread, at the start of the block after the store (or
  // in setSampleRate), with the value that store put in the table.
  void parameterChanged(VstInt32 index, float value) override;

 private:
  EchoEngine engine;
  // The table as the engine has taken it in: each queued store lands here
  // when its reaction runs, so the engine always reacts to, and processes
  // with, the values of exactly the stores it has seen. Audio thread only.
  EchoParams engineParams;
};
