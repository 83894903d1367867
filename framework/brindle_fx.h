// BrindleFX: the effect base class. Keeps every parameter in one table and
// implements the parameter, chunk and identity operations over it; effect
// classes hear about changes through parameterChanged and sampleRateChanged.
//
// Threads: a store may come from any thread while audio is processed. It
// lands in the table at once (getParameter and getChunk see it) and is queued
// for parameterChanged, which runs on the audio thread when the effect calls
// applyPendingChanges at the start of a block, in the order the stores were
// made. The editor hears of each store on the storing thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "framework/param_change_queue.h"
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

  // A fresh start on the stored values without taking memory (audio thread,
  // between blocks): stores still queued take effect, then the effect begins
  // as setSampleRate leaves it, nothing gliding and nothing remembered.
  void restartOnStoredValues();

  virtual void sampleRateChanged(float /*rate*/) {}
  virtual void restarted() {}
  virtual void parameterChanged(VstInt32 /*index*/, float /*value*/) {}

  // False when the table could not be allocated; the entry point then hands
  // out no effect.
  bool isUsable() const { return params != nullptr; }

 protected:
  // Stores one value (clamped, never NaN), queues the engine's reaction and
  // tells the editor.
  void storeParameter(VstInt32 index, float value);

  // Runs parameterChanged for every store queued since the last call, oldest
  // first. Called by the process entries before anything else, and by
  // setSampleRate. Never allocates, locks or waits.
  void applyPendingChanges();

  const char* const* canDoList;
  ParamEntry* params;
  uint16_t paramCount;
  uint16_t canDoCount;
  uint8_t monoIO;

 private:
  // getChunk hands the host this buffer, taken at construction; it stays valid
  // until the next request or until the effect is closed.
  uint8_t* chunkBuffer;

  // Stores the queue had no room for: per parameter, kLost, and kLostOn when
  // one of them was above one half (a switch turned on), so that its reaction
  // is not lost with it. lostAny says whether any flag is set.
  enum : uint8_t { kLost = 1, kLostOn = 2 };
  void noteLostStore(VstInt32 index, float value);
  void applyLostStores();
  void catchUpWithTable();
  bool isSwitch(VstInt32 index) const;
  std::atomic<uint8_t>* lostStores;
  std::atomic<bool> lostAny{false};

  // The last value each parameter's reaction ran with; audio thread only.
  // Taken from the table at the first applyPendingChanges.
  float* deliveredValues;
  bool deliveredKnown = false;

  ParamChangeQueue pending;
};
