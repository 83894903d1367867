// Audio processing ("ivstaudioprocessor.h", "ivstprocesscontext.h",
// "ivstparameterchanges.h", "ivstevents.h", "vstspeaker.h"): bus
// arrangements, the set-up, the per-block data with its parameter-change
// queues and the host's transport context.
#pragma once

#include "vst3/interface/base.h"
#include "vst3/interface/component.h"

namespace quillet::vst3 {

using ParamID = uint32;     // 0..0x7FFFFFFF; the upper half belongs to hosts
using ParamValue = double;  // normalised, 0..1
using Sample32 = float;
using Sample64 = double;
using SampleRate = double;
using TSamples = int64;
using TQuarterNotes = double;
using SpeakerArrangement = uint64;  // one bit per speaker
using Speaker = uint64;

// Speaker bits and the two arrangements this echo can take.
constexpr Speaker kSpeakerL = 1 << 0;
constexpr Speaker kSpeakerR = 1 << 1;
constexpr Speaker kSpeakerM = 1 << 19;  // mono has a bit of its own, not L or R
constexpr SpeakerArrangement kArrEmpty = 0;
constexpr SpeakerArrangement kArrMono = kSpeakerM;
constexpr SpeakerArrangement kArrStereo = kSpeakerL | kSpeakerR;

enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch, kOffline };
enum ComponentFlags : uint32 { kDistributable = 1 << 0, kSimpleModeSupported = 1 << 1 };

constexpr uint32 kNoTail = 0;
constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

struct ProcessSetup {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 maxSamplesPerBlock;
  SampleRate sampleRate;
};

// One bus's channels for a block. numChannels may be 0 when the host only
// flushes parameters; the pointer array always has numChannels entries.
struct AudioBusBuffers {
  int32 numChannels;
  uint64 silenceFlags;  // bit n: channel n is all zeros (a hint hosts may give)
  union {
    Sample32** channelBuffers32;
    Sample64** channelBuffers64;
  };
};

// Transport and tempo; each field counts only when its flag is in state.
struct ProcessContext {
  enum StatesAndFlags : uint32 {
    kPlaying = 1 << 1,
    kCycleActive = 1 << 2,
    kRecording = 1 << 3,
    kSystemTimeValid = 1 << 8,
    kProjectTimeMusicValid = 1 << 9,
    kTempoValid = 1 << 10,
    kBarPositionValid = 1 << 11,
    kCycleValid = 1 << 12,
    kTimeSigValid = 1 << 13,
    kSmpteValid = 1 << 14,
    kClockValid = 1 << 15,
    kContTimeValid = 1 << 17,
    kChordValid = 1 << 18,
  };
  struct Chord {
    uint8 keyNote;
    uint8 rootNote;
    int16 chordMask;
  };
  struct FrameRate {
    uint32 framesPerSecond;
    uint32 flags;
  };

  uint32 state;
  double sampleRate;
  TSamples projectTimeSamples;
  int64 systemTime;
  TSamples continousTimeSamples;  // sic: the published field name
  TQuarterNotes projectTimeMusic;
  TQuarterNotes barPositionMusic;
  TQuarterNotes cycleStartMusic;
  TQuarterNotes cycleEndMusic;
  double tempo;  // beats per minute, when kTempoValid
  int32 timeSigNumerator;
  int32 timeSigDenominator;
  Chord chord;
  int32 smpteOffsetSubframes;
  FrameRate frameRate;
  int32 samplesToNextClock;
};

// The changes of one parameter within a block: points in time order, each at
// a sample offset within the block. The last point is the value at its end.
class IParamValueQueue : public FUnknown {
 public:
  virtual ParamID QUILLET_VST3_CALL getParameterId() = 0;
  virtual int32 QUILLET_VST3_CALL getPointCount() = 0;
  virtual tresult QUILLET_VST3_CALL getPoint(int32 index, int32& sampleOffset,
                                             ParamValue& value) = 0;
  virtual tresult QUILLET_VST3_CALL addPoint(int32 sampleOffset, ParamValue value,
                                             int32& index) = 0;
  QUILLET_VST3_IID(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

 protected:
  ~IParamValueQueue() = default;
};

// The queues of every parameter that changed in a block.
class IParameterChanges : public FUnknown {
 public:
  virtual int32 QUILLET_VST3_CALL getParameterCount() = 0;
  virtual IParamValueQueue* QUILLET_VST3_CALL getParameterData(int32 index) = 0;
  virtual IParamValueQueue* QUILLET_VST3_CALL addParameterData(const ParamID& id, int32& index) = 0;
  QUILLET_VST3_IID(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

 protected:
  ~IParameterChanges() = default;
};

// Note and data events. The echo has no event bus and reads none, so the
// event record stays opaque here.
struct Event;
class IEventList : public FUnknown {
 public:
  virtual int32 QUILLET_VST3_CALL getEventCount() = 0;
  virtual tresult QUILLET_VST3_CALL getEvent(int32 index, Event& e) = 0;
  virtual tresult QUILLET_VST3_CALL addEvent(Event& e) = 0;
  QUILLET_VST3_IID(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);

 protected:
  ~IEventList() = default;
};

struct ProcessData {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 numSamples;
  int32 numInputs;   // audio input buses
  int32 numOutputs;  // audio output buses
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;  // may be null
};

// Threads and phases: setBusArrangements and canProcessSampleSize before
// activation, setupProcessing while inactive, getLatencySamples and
// getTailSamples once set up, all on the user-interface thread; setProcessing
// on either thread while active; process() only on the processing thread.
class IAudioProcessor : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                       SpeakerArrangement* outputs,
                                                       int32 numOuts) = 0;
  virtual tresult QUILLET_VST3_CALL getBusArrangement(BusDirection dir, int32 index,
                                                      SpeakerArrangement& arr) = 0;
  virtual tresult QUILLET_VST3_CALL canProcessSampleSize(int32 symbolicSampleSize) = 0;
  virtual uint32 QUILLET_VST3_CALL getLatencySamples() = 0;
  virtual tresult QUILLET_VST3_CALL setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult QUILLET_VST3_CALL setProcessing(TBool state) = 0;
  virtual tresult QUILLET_VST3_CALL process(ProcessData& data) = 0;
  virtual uint32 QUILLET_VST3_CALL getTailSamples() = 0;
  QUILLET_VST3_IID(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

 protected:
  ~IAudioProcessor() = default;
};

// Since interface version 3.7 hosts fill the process context only with what
// the processor asks for here (asked once, between initialize and setActive).
class IProcessContextRequirements : public FUnknown {
 public:
  enum Flags : uint32 {
    kNeedSystemTime = 1 << 0,
    kNeedContinousTimeSamples = 1 << 1,
    kNeedProjectTimeMusic = 1 << 2,
    kNeedBarPositionMusic = 1 << 3,
    kNeedCycleMusic = 1 << 4,
    kNeedSamplesToNextClock = 1 << 5,
    kNeedTempo = 1 << 6,
    kNeedTimeSignature = 1 << 7,
    kNeedChord = 1 << 8,
    kNeedFrameRate = 1 << 9,
    kNeedTransportState = 1 << 10,
  };
  virtual uint32 QUILLET_VST3_CALL getProcessContextRequirements() = 0;
  QUILLET_VST3_IID(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);

 protected:
  ~IProcessContextRequirements() = default;
};

}  // namespace quillet::vst3
