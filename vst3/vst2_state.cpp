#include "vst3/vst2_state.h"

#include <cstring>

namespace quillet::vst3 {

namespace {

constexpr uint32_t tag(const char (&text)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(text[3]));
}

constexpr uint32_t kWrapperTag = tag("VstW");
constexpr uint32_t kRecordTag = tag("CcnK");
constexpr uint32_t kProgramChunk = tag("FPCh");
constexpr uint32_t kBankChunk = tag("FBCh");
constexpr uint32_t kProgramParams = tag("FxCk");
constexpr uint32_t kBankParams = tag("FxBk");

// Offsets inside a 'CcnK' record.
constexpr size_t kFxMagic = 8;
constexpr size_t kFxId = 16;
constexpr size_t kCount = 24;  // numPrograms, or numParams of a program
constexpr size_t kCurrentProgram = 28;
constexpr size_t kProgramHeader = 56;  // params or chunkSize of a program
constexpr size_t kBankHeader = 156;    // chunkSize or the first program of a bank

// Big-endian reads that fail instead of reading past the end.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data(data), size(size) {}
  bool has(size_t at, size_t bytes) const { return at <= size && bytes <= size - at; }
  bool u32(size_t at, uint32_t* value) const {
    if (!has(at, 4)) return false;
    *value = (static_cast<uint32_t>(data[at]) << 24) | (static_cast<uint32_t>(data[at + 1]) << 16) |
             (static_cast<uint32_t>(data[at + 2]) << 8) | static_cast<uint32_t>(data[at + 3]);
    return true;
  }
  const uint8_t* at(size_t offset) const { return data + offset; }

 private:
  const uint8_t* data;
  size_t size;
};

// The eleven values from big-endian floats, written as our little-endian state.
void paramsToState(const uint8_t* bigEndian, uint8_t* state) {
  for (size_t i = 0; i < core::kStateBytes; i += 4) {
    state[i] = bigEndian[i + 3];
    state[i + 1] = bigEndian[i + 2];
    state[i + 2] = bigEndian[i + 1];
    state[i + 3] = bigEndian[i];
  }
}

// A chunk: its size at `sizeAt`, its bytes after it, holding at least our state.
bool readChunk(const Reader& in, size_t record, size_t sizeAt, uint8_t* state) {
  uint32_t chunkSize = 0;
  if (!in.u32(record + sizeAt, &chunkSize)) return false;
  if (chunkSize < core::kStateBytes || !in.has(record + sizeAt + 4, chunkSize)) return false;
  std::memcpy(state, in.at(record + sizeAt + 4), core::kStateBytes);
  return true;
}

// A plain program record ('CcnK' ... 'FxCk') at `record`; its length in *length.
bool readProgram(const Reader& in, size_t record, uint32_t uniqueId, uint8_t* state,
                 size_t* length) {
  uint32_t magic = 0, fxMagic = 0, fxId = 0, numParams = 0;
  if (!in.u32(record, &magic) || !in.u32(record + kFxMagic, &fxMagic) ||
      !in.u32(record + kFxId, &fxId) || !in.u32(record + kCount, &numParams))
    return false;
  if (magic != kRecordTag || fxMagic != kProgramParams || fxId != uniqueId) return false;
  if (numParams < core::kNumQuilletParams || numParams > (1u << 20)) return false;
  const size_t bytes = size_t{4} * numParams;
  if (!in.has(record + kProgramHeader, bytes)) return false;
  paramsToState(in.at(record + kProgramHeader), state);
  *length = kProgramHeader + bytes;
  return true;
}

bool readRecord(const Reader& in, size_t record, uint32_t uniqueId, uint8_t* state) {
  uint32_t magic = 0, fxMagic = 0, fxId = 0, count = 0;
  if (!in.u32(record, &magic) || magic != kRecordTag || !in.u32(record + kFxMagic, &fxMagic) ||
      !in.u32(record + kFxId, &fxId) || !in.u32(record + kCount, &count))
    return false;
  if (fxId != uniqueId) return false;
  size_t length = 0;
  switch (fxMagic) {
    case kProgramChunk:
      return readChunk(in, record, kProgramHeader, state);
    case kBankChunk:
      return readChunk(in, record, kBankHeader, state);
    case kProgramParams:
      return readProgram(in, record, uniqueId, state, &length);
    case kBankParams: {
      // The current program (a version 2 bank names it), else the first.
      uint32_t version = 0, current = 0;
      if (!in.u32(record + 12, &version)) return false;
      if (version >= 2 && !in.u32(record + kCurrentProgram, &current)) return false;
      if (current >= count) current = 0;
      if (count == 0) return false;
      size_t at = record + kBankHeader;
      for (uint32_t i = 0;; ++i) {
        if (!readProgram(in, at, uniqueId, state, &length)) return false;
        if (i == current) return true;
        at += length;
      }
    }
    default:
      return false;
  }
}

}  // namespace

bool startsAsVst2State(const uint8_t* data, size_t size) {
  uint32_t first = 0;
  return data && Reader(data, size).u32(0, &first) && (first == kWrapperTag || first == kRecordTag);
}

bool readVst2State(const uint8_t* data, size_t size, uint32_t uniqueId, Vst2Handover* out) {
  if (!data || !out) return false;
  const Reader in(data, size);
  Vst2Handover read;
  size_t record = 0;
  uint32_t first = 0;
  if (!in.u32(0, &first)) return false;
  if (first == kWrapperTag) {
    // 'VstW', the size of the header's rest, its version and the bypass state.
    uint32_t rest = 0, bypass = 0;
    if (!in.u32(4, &rest) || rest < 8 || !in.has(8, rest) || !in.u32(12, &bypass)) return false;
    read.hasBypass = true;
    read.bypassed = bypass != 0;
    record = 8 + size_t{rest};
  }
  if (!readRecord(in, record, uniqueId, read.state)) return false;
  *out = read;
  return true;
}

}  // namespace quillet::vst3
