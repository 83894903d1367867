// BrindleFX: the effect base class of the VST 2.4 libraries, an adapter over
// the format-free core (quillet::core::EchoCore). It answers the parameter, chunk,
// speaker and vendor operations from the core's table, store and state, and
// tells the attached editor of every store.
//
// Threads: a store may come from any thread while audio is processed. It
// lands in the store at once (getParameter and getChunk see it), the editor
// hears of it on the storing thread, and the engine takes it in at the start
// of the next block (see core/param_store.h).
#pragma once

#include <cstdint>
#include <memory>

#include "core/echo_core.h"
#include "core/state_codec.h"
#include "vst/audio_effect_x.h"

class BrindleFX : public AudioEffectX, private quillet::core::ParamListener {
 public:
  explicit BrindleFX(audioMasterCallback audioMaster);
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

  // Told after the core has taken a new rate, and after each store (on the
  // storing thread, before the editor hears of it); empty here.
  virtual void sampleRateChanged(float /*rate*/) {}
  virtual void parameterChanged(VstInt32 /*index*/, float /*value*/) {}

  // False when the core could not be allocated; the entry point then hands
  // out no effect.
  bool isUsable() const { return core != nullptr; }

 protected:
  // The parameters, state and echo; null only when construction ran out of
  // memory (then isUsable is false and the object is never handed out).
  std::unique_ptr<quillet::core::EchoCore> core;

  // canDo answers 1 to these strings and -1 to every other; none here.
  const char* const* canDoList = nullptr;
  uint16_t canDoCount = 0;

 private:
  void parameterStored(int32_t index, float value) override;

  // getChunk hands the host this buffer; it stays valid until the next
  // request or until the effect is closed, and asking allocates nothing.
  uint8_t chunkBuffer[quillet::core::kStateBytes] = {};
};
