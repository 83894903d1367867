// Host-side objects the tests hand to the plug-in: a memory stream and the
// parameter changes of one block. Plain single-owner objects on the stack;
// their reference counts are not used.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "vst3/interface/processor.h"
#include "vst3/interface/stream.h"

namespace quillet::vst3::testing {

class MemoryStream final : public IBStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8> bytes) : data(std::move(bytes)) {}

  std::vector<uint8> data;
  size_t position = 0;
  int32 readLimit = 1 << 30;    // per call, to act like a host that delivers in pieces
  size_t failAfter = SIZE_MAX;  // reads beyond this position fail, as a broken stream's
  bool seekable = true;         // false: seek and tell are refused

  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override {
    if (FUnknown::iid.equals(iidBytes) || IBStream::iid.equals(iidBytes)) {
      *obj = this;
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 QUILLET_VST3_CALL addRef() override { return 1; }
  uint32 QUILLET_VST3_CALL release() override { return 1; }

  tresult QUILLET_VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead) override {
    if (numBytes < 0) return kInvalidArgument;
    if (numBytesRead) *numBytesRead = 0;
    if (position >= failAfter && position < data.size()) return kInternalError;
    const size_t left = position < data.size() ? std::min(data.size(), failAfter) - position : 0;
    const size_t n =
        std::min<size_t>({static_cast<size_t>(numBytes), left, static_cast<size_t>(readLimit)});
    if (n) std::memcpy(buffer, data.data() + position, n);
    position += n;
    if (numBytesRead) *numBytesRead = static_cast<int32>(n);
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL write(void* buffer, int32 numBytes, int32* numBytesWritten) override {
    if (numBytes < 0) return kInvalidArgument;
    const auto* bytes = static_cast<const uint8*>(buffer);
    data.resize(std::max(data.size(), position + numBytes));
    if (numBytes) std::memcpy(data.data() + position, bytes, static_cast<size_t>(numBytes));
    position += static_cast<size_t>(numBytes);
    if (numBytesWritten) *numBytesWritten = numBytes;
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL seek(int64 pos, int32 mode, int64* result) override {
    if (!seekable) return kNotImplemented;
    int64 base = mode == kIBSeekSet   ? 0
                 : mode == kIBSeekCur ? static_cast<int64>(position)
                                      : static_cast<int64>(data.size());
    if (base + pos < 0) return kInvalidArgument;
    position = static_cast<size_t>(base + pos);
    if (result) *result = static_cast<int64>(position);
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL tell(int64* pos) override {
    if (!seekable) return kNotImplemented;
    if (!pos) return kInvalidArgument;
    *pos = static_cast<int64>(position);
    return kResultOk;
  }
};

class ValueQueue final : public IParamValueQueue {
 public:
  ParamID id = 0;
  std::vector<std::pair<int32, ParamValue>> points;

  tresult QUILLET_VST3_CALL queryInterface(const char8*, void** obj) override {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 QUILLET_VST3_CALL addRef() override { return 1; }
  uint32 QUILLET_VST3_CALL release() override { return 1; }
  ParamID QUILLET_VST3_CALL getParameterId() override { return id; }
  int32 QUILLET_VST3_CALL getPointCount() override { return static_cast<int32>(points.size()); }
  tresult QUILLET_VST3_CALL getPoint(int32 index, int32& offset, ParamValue& value) override {
    if (index < 0 || index >= getPointCount()) return kInvalidArgument;
    offset = points[static_cast<size_t>(index)].first;
    value = points[static_cast<size_t>(index)].second;
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL addPoint(int32 offset, ParamValue value, int32& index) override {
    index = getPointCount();
    points.emplace_back(offset, value);
    return kResultOk;
  }
};

class BlockChanges final : public IParameterChanges {
 public:
  std::vector<ValueQueue> queues;

  void add(ParamID id, std::vector<std::pair<int32, ParamValue>> points) {
    ValueQueue queue;
    queue.id = id;
    queue.points = std::move(points);
    queues.push_back(std::move(queue));
  }

  tresult QUILLET_VST3_CALL queryInterface(const char8*, void** obj) override {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 QUILLET_VST3_CALL addRef() override { return 1; }
  uint32 QUILLET_VST3_CALL release() override { return 1; }
  int32 QUILLET_VST3_CALL getParameterCount() override { return static_cast<int32>(queues.size()); }
  IParamValueQueue* QUILLET_VST3_CALL getParameterData(int32 index) override {
    return index >= 0 && index < getParameterCount() ? &queues[static_cast<size_t>(index)]
                                                     : nullptr;
  }
  IParamValueQueue* QUILLET_VST3_CALL addParameterData(const ParamID&, int32&) override {
    return nullptr;
  }
};

}  // namespace quillet::vst3::testing
