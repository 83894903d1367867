// The processing object as the host first meets it ("ivstcomponent.h"): its
// buses, activation and state. Threads and phases, as the reference marks
// each method: all of these come on the user-interface thread; bus queries
// after initialize(), activateBus/setActive once the processing set-up is done,
// getState/setState in any phase from initialized to processing.
#pragma once

#include "vst3/interface/base.h"
#include "vst3/interface/factory.h"

namespace quillet::vst3 {

class IBStream;

using TChar = char16;
using String128 = TChar[128];  // UTF-16, NUL-terminated within 128 units
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;

enum MediaTypes : MediaType { kAudio = 0, kEvent, kNumMediaTypes };
enum BusDirections : BusDirection { kInput = 0, kOutput };
enum BusTypes : BusType { kMain = 0, kAux };
enum IoModes : IoMode { kSimple = 0, kAdvanced, kOfflineProcessing };

// Class category strings of the factory's class list.
constexpr const char8* kVstAudioEffectClass = "Audio Module Class";
constexpr const char8* kVstComponentControllerClass = "Component Controller Class";

struct BusInfo {
  MediaType mediaType;
  BusDirection direction;
  int32 channelCount;
  String128 name;
  BusType busType;
  uint32 flags;
  enum BusFlags : uint32 {
    kDefaultActive = 1 << 0,     // the host should activate it at instantiation
    kIsControlVoltage = 1 << 1,  // audio-rate control data, not sound
  };
};

struct RoutingInfo {
  MediaType mediaType;
  int32 busIndex;
  int32 channel;  // -1: every channel
};

class IComponent : public IPluginBase {
 public:
  // Asked before initialize(): the class ID of the edit controller that goes
  // with this component (kResultFalse when the component is its own).
  virtual tresult QUILLET_VST3_CALL getControllerClassId(char8 classId[16]) = 0;
  virtual tresult QUILLET_VST3_CALL setIoMode(IoMode mode) = 0;
  virtual int32 QUILLET_VST3_CALL getBusCount(MediaType type, BusDirection dir) = 0;
  virtual tresult QUILLET_VST3_CALL getBusInfo(MediaType type, BusDirection dir, int32 index,
                                               BusInfo& bus) = 0;
  virtual tresult QUILLET_VST3_CALL getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
  virtual tresult QUILLET_VST3_CALL activateBus(MediaType type, BusDirection dir, int32 index,
                                                TBool state) = 0;
  virtual tresult QUILLET_VST3_CALL setActive(TBool state) = 0;
  virtual tresult QUILLET_VST3_CALL setState(IBStream* state) = 0;
  virtual tresult QUILLET_VST3_CALL getState(IBStream* state) = 0;
  QUILLET_VST3_IID(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

 protected:
  ~IComponent() = default;
};

}  // namespace quillet::vst3
