#include "vst3/stream_io.h"

namespace quillet::vst3 {

size_t readStream(IBStream* stream, uint8* buffer, size_t capacity) {
  if (!stream) return 0;
  size_t total = 0;
  while (total < capacity) {
    int32 got = 0;
    const int32 ask = static_cast<int32>(capacity - total);
    if (stream->read(buffer + total, ask, &got) != kResultOk || got <= 0 || got > ask) break;
    total += static_cast<size_t>(got);
  }
  return total;
}

bool readWholeStream(IBStream* stream, size_t limit, std::vector<uint8>* bytes) {
  bytes->clear();
  if (!stream) return false;
  constexpr size_t kPiece = 4096;
  for (;;) {
    const size_t had = bytes->size();
    bytes->resize(had + kPiece);
    const size_t got = readStream(stream, bytes->data() + had, kPiece);
    bytes->resize(had + got);
    if (bytes->size() > limit) return false;
    if (got < kPiece) return true;
  }
}

bool writeStream(IBStream* stream, const uint8* bytes, size_t size) {
  if (!stream) return false;
  size_t total = 0;
  while (total < size) {
    int32 put = 0;
    const int32 ask = static_cast<int32>(size - total);
    if (stream->write(const_cast<uint8*>(bytes + total), ask, &put) != kResultOk || put <= 0 ||
        put > ask)
      return false;
    total += static_cast<size_t>(put);
  }
  return true;
}

}  // namespace quillet::vst3
