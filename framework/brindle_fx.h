// BrindleFX: the effect base class. Keeps every parameter in one table and
// implements the parameter, chunk and identity operations over it; effect
// classes hear about changes through parameterChanged and sampleRateChanged.
#pragma once

#include <cstdint>

#include "framework/param_entry.h"
#include "vst/audio_effect_x.h"

class BrindleFX : public AudioEffectX {
 public:
  BrindleFX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
  ~BrindleFX() override;

  void setSampleRate(float rate) override;
  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override;
  void getProgramName(char* text) override;
  void getParameterLabel(VstInt32 index, char* text) override;
  void getParameterDisplay(VstInt32 index, char* text) override;
  void getParameterName(VstInt32 index, char* text) override;
  VstInt32 getChunk(void** data, bool isPreset) override;
  VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
  bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                             VstSpeakerArrangement* pluginOutput) override;
  bool getVendorString(char* text) override;
  VstInt32 canDo(char* text) override;

  virtual void sampleRateChanged(float /*rate*/) {}
  virtual void parameterChanged(VstInt32 /*index*/, float /*value*/) {}

  // False when the table could not be allocated; the entry point then hands
  // out no effect.
  bool isUsable() const { return params != nullptr; }

 protected:
  // Stores one value (clamped, never NaN) and tells the engine and the editor.
  void storeParameter(VstInt32 index, float value);

  const char* const* canDoList;
  ParamEntry* params;
  uint16_t paramCount;
  uint16_t canDoCount;
  uint8_t monoIO;

 private:
  // getChunk hands the host this buffer, taken at construction; it stays valid
  // until the next request or until the effect is closed.
  uint8_t* chunkBuffer;
};
