#include "clap/state_stream.h"

#include <cstring>

namespace quillet::clap {
namespace {

constexpr uint8_t kMagic[4] = {'Q', 'T', 'A', 'P'};

// Hosts may move fewer bytes per call than asked; a call that moves none,
// fails, or claims more than asked ends the transfer.
bool writeAll(const clap_ostream_t* stream, const uint8_t* data, uint64_t size) {
  while (size > 0) {
    const int64_t written = stream->write(stream, data, size);
    if (written <= 0 || static_cast<uint64_t>(written) > size) return false;
    data += written;
    size -= static_cast<uint64_t>(written);
  }
  return true;
}

// Fills data completely; false at the end of the stream or on an error.
bool readAll(const clap_istream_t* stream, uint8_t* data, uint64_t size) {
  while (size > 0) {
    const int64_t got = stream->read(stream, data, size);
    if (got <= 0 || static_cast<uint64_t>(got) > size) return false;
    data += got;
    size -= static_cast<uint64_t>(got);
  }
  return true;
}

bool atEnd(const clap_istream_t* stream) {
  uint8_t extra = 0;
  return stream->read(stream, &extra, 1) == 0;
}

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void writeU16(uint8_t* p, uint16_t value) {
  p[0] = static_cast<uint8_t>(value & 0xff);
  p[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

bool writeStateStream(const clap_ostream_t* stream, const StateBytes& state) {
  if (stream == nullptr || stream->write == nullptr) return false;
  uint8_t header[kStateHeaderBytes];
  std::memcpy(header, kMagic, sizeof(kMagic));
  writeU16(header + 4, kStateFormatVersion);
  writeU16(header + 6, static_cast<uint16_t>(core::kStateBytes));
  return writeAll(stream, header, sizeof(header)) && writeAll(stream, state, core::kStateBytes);
}

bool readStateStream(const clap_istream_t* stream, StateBytes& state) {
  if (stream == nullptr || stream->read == nullptr) return false;
  uint8_t header[kStateHeaderBytes];
  if (!readAll(stream, header, sizeof(header))) return false;
  if (std::memcmp(header, kMagic, sizeof(kMagic)) != 0 ||
      readU16(header + 4) != kStateFormatVersion || readU16(header + 6) != core::kStateBytes) {
    return false;
  }
  return readAll(stream, state, core::kStateBytes) && atEnd(stream);
}

}  // namespace quillet::clap
