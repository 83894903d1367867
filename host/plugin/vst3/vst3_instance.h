// One VST3 plug-in instance as a DAW holds it: the processor (component and
// audio processor) and its controller, each initialised with the host's
// context, joined through their connection points, the controller following
// the component's state, and the handler set. Processing follows the life
// cycle hosts keep to (set-up while inactive, then active, then processing);
// teardown runs it backwards and releases everything before the module goes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/plugin/vst3/host_objects.h"
#include "host/plugin/vst3/vst3_module.h"
#include "vst3/interface/component.h"
#include "vst3/interface/controller.h"
#include "vst3/interface/processor.h"

namespace quillet::host::vst3 {

class Vst3Instance {
 public:
  // Empty with a one-line `error` when the module has no processor class or
  // the instance cannot be made. A controller is optional.
  static std::unique_ptr<Vst3Instance> open(const Vst3Module& module, std::string* error);
  ~Vst3Instance();
  Vst3Instance(const Vst3Instance&) = delete;
  Vst3Instance& operator=(const Vst3Instance&) = delete;

  IComponent* component() const { return comp; }
  IAudioProcessor* processor() const { return proc; }
  IEditController* controller() const { return ctrl; }  // may be null
  ComponentHandler& handler() { return componentHandler; }
  HostApplication& host() { return application; }

  // Stereo in and out, the set-up, active, processing; false with `error`
  // at the first call refused.
  bool start(double sampleRate, int32 maxBlock, bool doublePrecision, int32 processMode,
             std::string* error);
  void stop();
  bool processing() const { return running; }

  // A change for the next block, at its first frame or `offset` frames in
  // (points of one parameter in time order). Audio thread, or while no block runs.
  void queueChange(ParamID id, ParamValue value, int32 offset = 0) {
    pending.add(id, offset, value);
  }
  bool hasQueuedChanges() { return pending.getParameterCount() > 0; }
  // The host's transport for the next block.
  void setTempo(double bpm) { tempo = bpm; }
  void setPosition(int64 frame) { position = frame; }
  // One block; the queued changes go with it. A block of 0 frames carries
  // only the changes, without buffers.
  tresult process(float** in, float** out, int32 frames);
  tresult process(double** in, double** out, int32 frames);
  // The changes the processor reported with the last block (its own).
  IParameterChanges& lastOutputChanges() { return outgoing; }

  // The component's state, and a state given to both halves, as a host
  // saves and restores a project.
  bool saveState(std::vector<uint8>* bytes);
  bool restoreState(const std::vector<uint8>& bytes, std::string* error);

  // The controller's list order: index, ID, title.
  int32 parameterCount() const;
  bool parameterInfo(int32 index, ParameterInfo* info) const;

 private:
  Vst3Instance() = default;
  template <class Sample>
  tresult processBlock(Sample** in, Sample** out, int32 frames, int32 sampleSize);

  HostApplication application;
  ComponentHandler componentHandler;
  IComponent* comp = nullptr;
  IAudioProcessor* proc = nullptr;
  IEditController* ctrl = nullptr;
  IConnectionPoint* compPoint = nullptr;
  IConnectionPoint* ctrlPoint = nullptr;
  bool controllerIsComponent = false;
  bool running = false;
  int32 sampleSize = kSample32;
  int32 mode = kRealtime;
  double rate = 48000.0;
  double tempo = 120.0;
  int64 position = 0;
  ParameterChanges pending;
  ParameterChanges outgoing;
  ProcessContext context{};
};

}  // namespace quillet::host::vst3
