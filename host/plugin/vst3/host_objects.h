// The host's side of the VST3 interface, as a DAW offers it to a plug-in: the
// application context (which makes messages and attribute lists for the
// connection between processor and controller), byte streams for states,
// the parameter changes of one block, and a component handler that records
// the plug-in's edits.
//
// Objects the plug-in may keep count their references; the ones this host
// owns (the application, the handler) outlive every plug-in object and are
// never deleted through release().
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "vst3/interface/controller.h"
#include "vst3/interface/messages.h"
#include "vst3/interface/processor.h"
#include "vst3/interface/stream.h"

namespace quillet::host::vst3 {

using namespace quillet::vst3;

// The context initialize() receives.
class HostApplication final : public IHostApplication {
 public:
  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return ++refs; }
  uint32 QUILLET_VST3_CALL release() override { return --refs; }
  tresult QUILLET_VST3_CALL getName(String128 name) override;
  // Makes an IMessage or an IAttributeList (class and interface the same ID).
  tresult QUILLET_VST3_CALL createInstance(char8 cid[16], char8 iidBytes[16], void** obj) override;
  // References the plug-in holds now.
  uint32 references() const { return refs.load(); }

 private:
  std::atomic<uint32> refs{0};
};

// A byte stream in memory, read and written at one position.
class MemoryStream final : public IBStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8> bytes) : data(std::move(bytes)) {}

  std::vector<uint8> data;
  size_t position = 0;
  int32 readLimit = 1 << 30;  // per call, to act like a host that delivers in pieces

  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return 1; }
  uint32 QUILLET_VST3_CALL release() override { return 1; }
  tresult QUILLET_VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead) override;
  tresult QUILLET_VST3_CALL write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
  tresult QUILLET_VST3_CALL seek(int64 pos, int32 mode, int64* result) override;
  tresult QUILLET_VST3_CALL tell(int64* pos) override;
};

// The changes of one block, with room taken in advance: filling them on the
// audio thread allocates nothing. Changes beyond the room are dropped.
class ParameterChanges final : public IParameterChanges {
 public:
  static constexpr int32 kMaxQueues = 32;
  static constexpr int32 kMaxPoints = 512;  // a point every frame of a 512-frame block

  class Queue final : public IParamValueQueue {
   public:
    tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
    uint32 QUILLET_VST3_CALL addRef() override { return 1; }
    uint32 QUILLET_VST3_CALL release() override { return 1; }
    ParamID QUILLET_VST3_CALL getParameterId() override { return id; }
    int32 QUILLET_VST3_CALL getPointCount() override { return count; }
    tresult QUILLET_VST3_CALL getPoint(int32 index, int32& sampleOffset,
                                       ParamValue& value) override;
    tresult QUILLET_VST3_CALL addPoint(int32 sampleOffset, ParamValue value, int32& index) override;

    ParamID id = 0;
    int32 count = 0;
    int32 offsets[kMaxPoints] = {};
    ParamValue values[kMaxPoints] = {};
  };

  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return 1; }
  uint32 QUILLET_VST3_CALL release() override { return 1; }
  int32 QUILLET_VST3_CALL getParameterCount() override { return count; }
  IParamValueQueue* QUILLET_VST3_CALL getParameterData(int32 index) override;
  IParamValueQueue* QUILLET_VST3_CALL addParameterData(const ParamID& id, int32& index) override;

  // A point at `offset` for parameter `id`; false when there is no room.
  bool add(ParamID id, int32 offset, ParamValue value);
  void clear() { count = 0; }

 private:
  int32 count = 0;
  Queue queues[kMaxQueues];
};

// One call the plug-in made to the component handler.
struct HandlerCall {
  enum Kind { kBegin, kPerform, kEnd, kRestart } kind;
  ParamID id = 0;
  ParamValue value = 0;  // perform: the value; restart: the flags
};

// Records the plug-in's edits (user-interface thread). Edits are also passed
// to `onPerform`, as a DAW passes them on to the processor.
class ComponentHandler final : public IComponentHandler {
 public:
  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return ++refs; }
  uint32 QUILLET_VST3_CALL release() override { return --refs; }
  tresult QUILLET_VST3_CALL beginEdit(ParamID id) override;
  tresult QUILLET_VST3_CALL performEdit(ParamID id, ParamValue valueNormalized) override;
  tresult QUILLET_VST3_CALL endEdit(ParamID id) override;
  tresult QUILLET_VST3_CALL restartComponent(int32 flags) override;

  std::vector<HandlerCall> calls() const;
  void clear();
  std::function<void(ParamID, ParamValue)> onPerform;

 private:
  void record(const HandlerCall& call);
  std::atomic<uint32> refs{0};
  mutable std::mutex mutex;
  std::vector<HandlerCall> recorded;
};

}  // namespace quillet::host::vst3
