// The processor class: the echo as a VST3 component and audio processor, one
// stereo bus in and one out, 32- and 64-bit, over the format-free core.
//
// The host's parameter changes are applied at the start of each block: the
// last point of every queue, in index order, as the other editions apply their
// stores at block start. Automation points inside a block are not followed:
// a change of "Delay" stretches both delay lines, and splitting blocks at
// every point would repeat that work for each one.
//
// Bypass (the parameter hosts drive from their bypass button): the echo keeps
// running on the input, so its lines always hold what was played, and the
// output fades between the echo's and the input over 10 ms (BypassFade).
// Switching back brings the echo in as if it had never been switched off.
//
// Until the first sound after activation nothing has been heard, so the
// echo waits: silent blocks are answered with silence and move nothing, and
// values that arrive meanwhile (a host setting a project's values in its
// first blocks, a state restored after activation) are taken as if set
// before activation: at the first sound the echo starts afresh on the stored
// values, without a glide from the old ones. Changes that come with the
// first sound itself glide as automation always does. However many silent
// blocks a host runs first, the echo starts from the same place, so a DAW's
// export equals a render that starts with the sound.
//
// Threads: process on the audio thread; setProcessing on either; the rest on
// the user-interface thread. getState/setState may come while processing:
// the core's store carries values across lock-free.
#pragma once

#include <atomic>
#include <memory>
#include <optional>

#include "core/echo_core.h"
#include "vst3/bypass_fade.h"
#include "vst3/interface/component.h"
#include "vst3/interface/messages.h"
#include "vst3/interface/processor.h"
#include "vst3/processor_link.h"
#include "vst3/unknown_support.h"

namespace quillet::vst3 {

class EchoProcessor final : public IComponent,
                            public IAudioProcessor,
                            public IProcessContextRequirements,
                            public IConnectionPoint {
 public:
  // For the factory: a new object with one reference, or null.
  static FUnknown* create();

  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return refs.add(); }
  uint32 QUILLET_VST3_CALL release() override;

  // IPluginBase
  tresult QUILLET_VST3_CALL initialize(FUnknown* context) override;
  tresult QUILLET_VST3_CALL terminate() override;

  // IComponent
  tresult QUILLET_VST3_CALL getControllerClassId(char8 classId[16]) override;
  tresult QUILLET_VST3_CALL setIoMode(IoMode mode) override;
  int32 QUILLET_VST3_CALL getBusCount(MediaType type, BusDirection dir) override;
  tresult QUILLET_VST3_CALL getBusInfo(MediaType type, BusDirection dir, int32 index,
                                       BusInfo& bus) override;
  tresult QUILLET_VST3_CALL getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) override;
  tresult QUILLET_VST3_CALL activateBus(MediaType type, BusDirection dir, int32 index,
                                        TBool state) override;
  tresult QUILLET_VST3_CALL setActive(TBool state) override;
  tresult QUILLET_VST3_CALL setState(IBStream* state) override;
  tresult QUILLET_VST3_CALL getState(IBStream* state) override;

  // IAudioProcessor
  tresult QUILLET_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                               SpeakerArrangement* outputs, int32 numOuts) override;
  tresult QUILLET_VST3_CALL getBusArrangement(BusDirection dir, int32 index,
                                              SpeakerArrangement& arr) override;
  tresult QUILLET_VST3_CALL canProcessSampleSize(int32 symbolicSampleSize) override;
  uint32 QUILLET_VST3_CALL getLatencySamples() override { return 0; }
  tresult QUILLET_VST3_CALL setupProcessing(ProcessSetup& setup) override;
  tresult QUILLET_VST3_CALL setProcessing(TBool state) override;
  tresult QUILLET_VST3_CALL process(ProcessData& data) override;
  // Frames until the echo has died away by 90 dB for the stored values
  // (kInfiniteTail while the loop sustains itself).
  uint32 QUILLET_VST3_CALL getTailSamples() override;

  // IProcessContextRequirements: the note keys need the host's tempo.
  uint32 QUILLET_VST3_CALL getProcessContextRequirements() override {
    return IProcessContextRequirements::kNeedTempo;
  }

  // IConnectionPoint: on connecting, the controller is sent the token of
  // this processor's ProcessorLink.
  tresult QUILLET_VST3_CALL connect(IConnectionPoint* other) override;
  tresult QUILLET_VST3_CALL disconnect(IConnectionPoint* other) override;
  tresult QUILLET_VST3_CALL notify(IMessage* message) override;

 private:
  EchoProcessor() = default;
  ~EchoProcessor();

  // Stores the last point of each queue; true when any value was stored.
  bool applyParameterChanges(IParameterChanges* changes);
  // The block's changes stored, bypass followed.
  void takeChanges(ProcessData& data);
  template <class Sample>
  void processAudio(Sample** in, Sample** out, uint32 frames);
  template <class Sample>
  tresult processBuses(ProcessData& data, Sample** (*buffers)(AudioBusBuffers&));
  void sendLinkToken(IConnectionPoint* other);

  RefCount refs;
  IHostApplication* hostApplication = nullptr;  // a reference held from initialize to terminate
  std::optional<EchoCore> echo;                 // from initialize to terminate
  std::shared_ptr<ProcessorLink> link;
  int64 linkToken = 0;
  IConnectionPoint* peer = nullptr;  // only to recognise it again on disconnect

  double sampleRate = 0;
  bool active = false;
  // The bypass parameter's value, stored by the audio thread (its queue) or
  // by a handed-over VST 2 state on the user-interface thread.
  std::atomic<float> bypassValue{0.0f};
  // Set when setState stored values; the audio thread takes it.
  std::atomic<bool> stateLoaded{false};

  // Audio thread from here on (and setActive/setupProcessing while no block runs).
  BypassFade fade;
  bool unheard = true;          // no sound since activation
  bool restartAtSound = false;  // values came while unheard
  // The input of a block, kept while the output is not the echo's alone (the
  // host may process in place); blocks longer than this go in parts then.
  static constexpr uint32 kDryFrames = 4096;
  std::unique_ptr<double[]> dry;  // two channels of kDryFrames
};

}  // namespace quillet::vst3
