// Loads a VST 2.4 plug-in the way a DAW does and answers its requests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vst/interface/vst2_interface.h"

namespace quillet::host {

// One request the plug-in sent to the host.
struct HostRequest {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  float opt;
};

// The host side of one plug-in instance: answers audioMasterVersion with 2400,
// audioMasterGetTime with a time record whose tempo the caller sets, records
// every request it receives and answers 0 otherwise.
class HostCallback {
 public:
  HostCallback();
  void setTempo(double bpm);
  void setSampleRate(double rate);
  void setTimeAvailable(bool available);  // false: audioMasterGetTime answers 0
  void setBlockSize(VstInt32 frames);     // audioMasterGetBlockSize
  void setSamplePosition(double frames);  // where the transport stands
  double tempo() const;
  // Off: requests are answered but not recorded, so answering allocates nothing.
  void setRecording(bool on);
  // Answers audioMasterSizeWindow (width, height) with 1 when it returns
  // true; without one the request is answered 0.
  void setSizeWindowHandler(std::function<bool(int width, int height)> handler);
  // Requests are recorded under a lock; read them when no other thread calls in.
  const std::vector<HostRequest>& requests() const;
  size_t count(VstInt32 opcode) const;
  void clear();
  VstIntPtr handle(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt);

 private:
  struct State;
  std::shared_ptr<State> state;
};

// A loaded library with its entry point.
class PluginLibrary {
 public:
  // Empty on failure; `error` then says why in one line.
  static std::unique_ptr<PluginLibrary> load(const std::string& path, std::string* error);
  ~PluginLibrary();
  VstPluginMainProc entry() const;

 private:
  PluginLibrary() = default;
  void* handle = nullptr;
  VstPluginMainProc main = nullptr;
};

// One plug-in instance created through the entry point with its own host callback.
// Closes the effect (effClose) when destroyed.
class PluginInstance {
 public:
  static std::unique_ptr<PluginInstance> create(const PluginLibrary& library, std::string* error);
  ~PluginInstance();
  AEffect* effect() const { return aeffect; }
  HostCallback& host() { return *callback; }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  // Closes now; effect() is null afterwards.
  void close();

 private:
  PluginInstance() = default;
  AEffect* aeffect = nullptr;
  std::unique_ptr<HostCallback> callback;
};

}  // namespace quillet::host
