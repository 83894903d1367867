// The processor class: the echo as a VST3 component and audio processor, one
// stereo bus in and one out, 32- and 64-bit, over the format-free core.
//
// The host's parameter changes are applied at the start of each block: the
// last point of every queue, in index order, as the other editions apply their
// stores at block start. Automation points inside a block are not followed:
// a change of "Delay" stretches both delay lines, and splitting blocks at
// every point would repeat that work for each one.
#pragma once

#include <atomic>
#include <memory>

#include "core/echo_core.h"
#include "vst3/interface/component.h"
#include "vst3/interface/messages.h"
#include "vst3/interface/processor.h"
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
  uint32 QUILLET_VST3_CALL getTailSamples() override;

  // IProcessContextRequirements: the note keys need the host's tempo.
  uint32 QUILLET_VST3_CALL getProcessContextRequirements() override {
    return IProcessContextRequirements::kNeedTempo;
  }

  // IConnectionPoint: the controller's link (nothing travels on it yet).
  tresult QUILLET_VST3_CALL connect(IConnectionPoint* other) override;
  tresult QUILLET_VST3_CALL disconnect(IConnectionPoint* other) override;
  tresult QUILLET_VST3_CALL notify(IMessage* message) override;

  // The last tempo the host gave with a block, 0 when none (any thread).
  double hostTempo() const { return tempo.load(std::memory_order_relaxed); }

 private:
  EchoProcessor() = default;
  ~EchoProcessor();

  void applyParameterChanges(IParameterChanges* changes);
  template <class Sample>
  void processBuses(ProcessData& data, Sample** in, Sample** out);

  RefCount refs;
  std::unique_ptr<EchoCore> echo;
  double sampleRate = 0;
  int32 sampleSize = kSample32;
  bool active = false;
  bool bypassed = false;
  IConnectionPoint* peer = nullptr;
  std::atomic<double> tempo{0.0};
};

}  // namespace quillet::vst3
