// The processor class: the echo as a VST3 component and audio processor, one
// stereo bus in and one out, 32- and 64-bit, over the format-free core.
//
// The host's parameter changes are taken at their own frames: the block is
// run in pieces split at the points of its queues, as a VST 2.4 host would
// split it and store the values there (core/block_changes.h; the lines
// stretch at most once in any 2 ms, EchoCore::spaceStretches). Bypass
// switches at its own frame too, and so does a program change: a change of
// the program-change parameter at frame k stores its factory preset's
// eleven values at frame k, as eleven changes of the block's list (after
// the changes of queues that come before it in the host's list, before
// those that come after). The processor tells the host the values it took
// (its output parameter changes at that frame), so a host's own controls
// follow a program change it sent.
//
// Bypass (the parameter hosts drive from their bypass button): the echo keeps
// running on the input, so its lines always hold what was played, and the
// output fades between the echo's and the input over 10 ms (BypassFade).
// Switching back brings the echo in as if it had never been switched off.
//
// Until the first sound after activation the echo waits (core/first_sound.h):
// silent blocks are answered with silence, and values that arrive meanwhile
// (a host setting a project's values in its first blocks, a state restored
// after activation) are taken as if set before activation. Changes that come
// with the first sound itself are automation as always.
//
// The state (getState/setState) is the eleven values and the bypass
// (component_state.h), so a project saved bypassed reopens bypassed.
//
// Threads: process on the audio thread; setProcessing on either; the rest on
// the user-interface thread. getState/setState may come while processing:
// the core's store carries values across lock-free.
#pragma once

#include <atomic>
#include <memory>
#include <optional>

#include "core/block_changes.h"
#include "core/echo_core.h"
#include "core/first_sound.h"
#include "vst3/bypass_fade.h"
#include "vst3/interface/component.h"
#include "vst3/interface/messages.h"
#include "vst3/interface/processor.h"
#include "vst3/interface/units.h"
#include "vst3/processor_link.h"
#include "vst3/unknown_support.h"

namespace quillet::vst3 {

class EchoProcessor final : public IComponent,
                            public IAudioProcessor,
                            public IProcessContextRequirements,
                            public IConnectionPoint,
                            public IProgramListData {
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

  // IProgramListData: each factory program's data is the state it loads,
  // the 44 bytes (a preset leaves the bypass alone). Factory programs are
  // not overwritten: setProgramData refuses.
  tresult QUILLET_VST3_CALL programDataSupported(ProgramListID listId) override;
  tresult QUILLET_VST3_CALL getProgramData(ProgramListID listId, int32 programIndex,
                                           IBStream* data) override;
  tresult QUILLET_VST3_CALL setProgramData(ProgramListID, int32, IBStream*) override {
    return kResultFalse;
  }

 private:
  EchoProcessor() = default;
  ~EchoProcessor();

  template <class Sample>
  class Pieces;
  // Every point of the host's queues into `changes`, at its frame.
  void readParameterChanges(IParameterChanges* queues);
  // The block's changes stored at once, for a block that is not run.
  void storeChanges();
  // The values a program change of the block set, told to the host as the
  // processor's own changes (its output parameter changes), at the frame.
  void reportProgramChange(IParameterChanges* out);
  void storeChange(const core::TimedChange& change);
  template <class Sample>
  void processAudio(Sample** in, Sample** out, uint32 frames);
  template <class Sample>
  tresult processBuses(ProcessData& data, Sample** (*buffers)(AudioBusBuffers&));
  void sendLinkToken(IConnectionPoint* other);

  RefCount refs;
  IHostApplication* hostApplication = nullptr;  // a reference held from initialize to terminate
  std::optional<core::EchoCore> echo;           // from initialize to terminate
  std::shared_ptr<ProcessorLink> link;
  int64 linkToken = 0;
  IConnectionPoint* peer = nullptr;  // only to recognise it again on disconnect

  double sampleRate = 0;
  bool active = false;
  // The bypass parameter's value, stored by the audio thread (its queue) or
  // by a state on the user-interface thread, and saved with the state.
  std::atomic<float> bypassValue{0.0f};

  // Audio thread from here on (and setActive/setupProcessing while no block runs).
  BypassFade fade;
  core::FirstSoundGate firstSound;
  std::unique_ptr<core::BlockChanges> changes;  // the block's points, at their frames
  int32 programChange = -1;                     // the block's last program change, -1 for none
  int32 programChangeFrame = 0;
  // The input of a block, kept while the output is not the echo's alone (the
  // host may process in place); blocks longer than this go in parts then.
  static constexpr uint32 kDryFrames = 4096;
  std::unique_ptr<double[]> dry;  // two channels of kDryFrames
};

}  // namespace quillet::vst3
