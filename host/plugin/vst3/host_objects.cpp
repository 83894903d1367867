#include "host/plugin/vst3/host_objects.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace quillet::host::vst3 {

namespace {

template <class I>
bool answers(const char8* iidBytes, I* object, void** obj) {
  if (!iidBytes || !(FUnknown::iid.equals(iidBytes) || I::iid.equals(iidBytes))) return false;
  object->addRef();
  *obj = object;
  return true;
}

tresult refuse(void** obj) {
  if (obj) *obj = nullptr;
  return kNoInterface;
}

// Values by name, as a message carries them.
class AttributeList final : public IAttributeList {
 public:
  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override {
    return answers<IAttributeList>(iidBytes, this, obj) ? kResultOk : refuse(obj);
  }
  uint32 QUILLET_VST3_CALL addRef() override { return ++refs; }
  uint32 QUILLET_VST3_CALL release() override {
    const uint32 left = --refs;
    if (left == 0) delete this;
    return left;
  }
  tresult QUILLET_VST3_CALL setInt(AttrID id, int64 value) override {
    if (!id) return kInvalidArgument;
    ints[id] = value;
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL getInt(AttrID id, int64& value) override {
    const auto found = id ? ints.find(id) : ints.end();
    if (found == ints.end()) return kResultFalse;
    value = found->second;
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL setFloat(AttrID id, double value) override {
    if (!id) return kInvalidArgument;
    floats[id] = value;
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL getFloat(AttrID id, double& value) override {
    const auto found = id ? floats.find(id) : floats.end();
    if (found == floats.end()) return kResultFalse;
    value = found->second;
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL setString(AttrID id, const TChar* string) override {
    if (!id || !string) return kInvalidArgument;
    strings[id] = std::u16string(string);
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL getString(AttrID id, TChar* string, uint32 sizeInBytes) override {
    const auto found = id ? strings.find(id) : strings.end();
    if (found == strings.end() || !string || sizeInBytes < sizeof(TChar)) return kResultFalse;
    const size_t room = sizeInBytes / sizeof(TChar) - 1;
    const size_t n = std::min(room, found->second.size());
    std::memcpy(string, found->second.data(), n * sizeof(TChar));
    string[n] = 0;
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL setBinary(AttrID id, const void* data, uint32 sizeInBytes) override {
    if (!id || (!data && sizeInBytes)) return kInvalidArgument;
    const auto* bytes = static_cast<const uint8*>(data);
    binaries[id].assign(bytes, bytes + sizeInBytes);
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL getBinary(AttrID id, const void*& data, uint32& sizeInBytes) override {
    const auto found = id ? binaries.find(id) : binaries.end();
    if (found == binaries.end()) return kResultFalse;
    data = found->second.data();
    sizeInBytes = static_cast<uint32>(found->second.size());
    return kResultOk;
  }

 private:
  std::atomic<uint32> refs{1};
  std::map<std::string, int64> ints;
  std::map<std::string, double> floats;
  std::map<std::string, std::u16string> strings;
  std::map<std::string, std::vector<uint8>> binaries;
};

class Message final : public IMessage {
 public:
  Message() : attributes(new AttributeList) {}
  ~Message() { attributes->release(); }
  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override {
    return answers<IMessage>(iidBytes, this, obj) ? kResultOk : refuse(obj);
  }
  uint32 QUILLET_VST3_CALL addRef() override { return ++refs; }
  uint32 QUILLET_VST3_CALL release() override {
    const uint32 left = --refs;
    if (left == 0) delete this;
    return left;
  }
  FIDString QUILLET_VST3_CALL getMessageID() override { return id.c_str(); }
  void QUILLET_VST3_CALL setMessageID(FIDString newId) override { id = newId ? newId : ""; }
  // Owned by the message: no reference is handed out with it.
  IAttributeList* QUILLET_VST3_CALL getAttributes() override { return attributes; }

 private:
  std::atomic<uint32> refs{1};
  std::string id;
  AttributeList* attributes;
};

}  // namespace

tresult HostApplication::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj) return kInvalidArgument;
  return answers<IHostApplication>(iidBytes, this, obj) ? kResultOk : refuse(obj);
}

tresult HostApplication::getName(String128 name) {
  static const char kName[] = "quillet-host";
  size_t i = 0;
  for (; kName[i]; ++i) name[i] = static_cast<char16>(kName[i]);
  name[i] = 0;
  return kResultOk;
}

tresult HostApplication::createInstance(char8 cid[16], char8 iidBytes[16], void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!cid || !iidBytes) return kInvalidArgument;
  if (IMessage::iid.equals(cid) && IMessage::iid.equals(iidBytes)) {
    *obj = static_cast<IMessage*>(new (std::nothrow) Message);
  } else if (IAttributeList::iid.equals(cid) && IAttributeList::iid.equals(iidBytes)) {
    *obj = static_cast<IAttributeList*>(new (std::nothrow) AttributeList);
  } else {
    return kNoInterface;
  }
  return *obj ? kResultOk : kOutOfMemory;
}

tresult MemoryStream::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj) return kInvalidArgument;
  return answers<IBStream>(iidBytes, this, obj) ? kResultOk : refuse(obj);
}

tresult MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytes < 0 || (!buffer && numBytes > 0)) return kInvalidArgument;
  const size_t left = position < data.size() ? data.size() - position : 0;
  const size_t n = std::min({static_cast<size_t>(numBytes), left, static_cast<size_t>(readLimit)});
  if (n) std::memcpy(buffer, data.data() + position, n);
  position += n;
  if (numBytesRead) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytes < 0 || (!buffer && numBytes > 0)) return kInvalidArgument;
  const auto* bytes = static_cast<const uint8*>(buffer);
  if (data.size() < position + static_cast<size_t>(numBytes))
    data.resize(position + static_cast<size_t>(numBytes));
  if (numBytes) std::memcpy(data.data() + position, bytes, static_cast<size_t>(numBytes));
  position += static_cast<size_t>(numBytes);
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  const int64 base = mode == kIBSeekSet   ? 0
                     : mode == kIBSeekCur ? static_cast<int64>(position)
                                          : static_cast<int64>(data.size());
  if (base + pos < 0) return kInvalidArgument;
  position = static_cast<size_t>(base + pos);
  if (result) *result = static_cast<int64>(position);
  return kResultOk;
}

tresult MemoryStream::tell(int64* pos) {
  if (!pos) return kInvalidArgument;
  *pos = static_cast<int64>(position);
  return kResultOk;
}

tresult ParameterChanges::Queue::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj) return kInvalidArgument;
  return answers<IParamValueQueue>(iidBytes, this, obj) ? kResultOk : refuse(obj);
}

tresult ParameterChanges::Queue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
  if (index < 0 || index >= count) return kInvalidArgument;
  sampleOffset = offsets[index];
  value = values[index];
  return kResultOk;
}

tresult ParameterChanges::Queue::addPoint(int32 sampleOffset, ParamValue value, int32& index) {
  if (count >= kMaxPoints) return kResultFalse;
  offsets[count] = sampleOffset;
  values[count] = value;
  index = count++;
  return kResultOk;
}

tresult ParameterChanges::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj) return kInvalidArgument;
  return answers<IParameterChanges>(iidBytes, this, obj) ? kResultOk : refuse(obj);
}

IParamValueQueue* ParameterChanges::getParameterData(int32 index) {
  return index >= 0 && index < count ? &queues[index] : nullptr;
}

IParamValueQueue* ParameterChanges::addParameterData(const ParamID& id, int32& index) {
  for (int32 i = 0; i < count; ++i) {
    if (queues[i].id == id) {
      index = i;
      return &queues[i];
    }
  }
  if (count >= kMaxQueues) return nullptr;
  Queue& queue = queues[count];
  queue.id = id;
  queue.count = 0;
  index = count++;
  return &queue;
}

bool ParameterChanges::add(ParamID id, int32 offset, ParamValue value) {
  int32 index = 0, point = 0;
  IParamValueQueue* queue = addParameterData(id, index);
  return queue && queue->addPoint(offset, value, point) == kResultOk;
}

tresult ComponentHandler::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj) return kInvalidArgument;
  return answers<IComponentHandler>(iidBytes, this, obj) ? kResultOk : refuse(obj);
}

void ComponentHandler::record(const HandlerCall& call) {
  std::lock_guard<std::mutex> lock(mutex);
  recorded.push_back(call);
}

tresult ComponentHandler::beginEdit(ParamID id) {
  record({HandlerCall::kBegin, id, 0});
  return kResultOk;
}

tresult ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized) {
  record({HandlerCall::kPerform, id, valueNormalized});
  if (onPerform) onPerform(id, valueNormalized);
  return kResultOk;
}

tresult ComponentHandler::endEdit(ParamID id) {
  record({HandlerCall::kEnd, id, 0});
  return kResultOk;
}

tresult ComponentHandler::restartComponent(int32 flags) {
  record({HandlerCall::kRestart, 0, static_cast<ParamValue>(flags)});
  return kResultOk;
}

std::vector<HandlerCall> ComponentHandler::calls() const {
  std::lock_guard<std::mutex> lock(mutex);
  return recorded;
}

void ComponentHandler::clear() {
  std::lock_guard<std::mutex> lock(mutex);
  recorded.clear();
}

}  // namespace quillet::host::vst3
