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

  // The editor build also answers "supportsViewDpiScaling" and takes the
  // host's content scale factor ('PreS' / 'AeCs' with the factor in `opt`);
  // the build without an editor answers as BrindleFX does.
  VstInt32 canDo(char* text) override;
  VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
};

// The host's content scale factor request of the vendor-specific call:
// index 'PreS', value 'AeCs', the factor in `opt`.
constexpr VstInt32 kVendorSpecificPreSonus = 0x50726553;  // 'PreS'
constexpr VstIntPtr kContentScaleFactor = 0x41654373;     // 'AeCs'
constexpr const char* kCanDoViewDpiScaling = "supportsViewDpiScaling";
