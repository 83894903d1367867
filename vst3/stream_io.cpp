#include "vst3/stream_io.h"

#include <algorithm>

namespace quillet::vst3 {

namespace {

constexpr int64 kUnknownLength = -1;

// The bytes from the stream's position to its end, where it can tell, with
// the position left where it was; kUnknownLength otherwise.
int64 bytesLeft(IBStream* stream) {
  int64 here = 0;
  int64 end = 0;
  int64 back = 0;
  if (stream->tell(&here) != kResultOk || here < 0) return kUnknownLength;
  if (stream->seek(0, IBStream::kIBSeekEnd, &end) != kResultOk) return kUnknownLength;
  if (stream->seek(here, IBStream::kIBSeekSet, &back) != kResultOk || back != here) {
    return kUnknownLength;  // cannot return: whatever follows reads from a wrong place
  }
  return end >= here ? end - here : kUnknownLength;
}

}  // namespace

bool readWholeStream(IBStream* stream, size_t limit, std::vector<uint8>* bytes) {
  bytes->clear();
  if (!stream) return false;
  const int64 length = bytesLeft(stream);
  if (length != kUnknownLength && static_cast<uint64>(length) > limit) return false;
  const size_t want = length == kUnknownLength ? limit + 1 : static_cast<size_t>(length);
  constexpr size_t kPiece = 4096;
  while (bytes->size() < want) {
    const size_t had = bytes->size();
    const auto ask = static_cast<int32>(std::min(kPiece, want - had));
    bytes->resize(had + static_cast<size_t>(ask));
    int32 got = 0;
    const tresult result = stream->read(bytes->data() + had, ask, &got);
    if (got < 0 || got > ask) return false;
    bytes->resize(had + static_cast<size_t>(got));
    if (result != kResultOk) {
      // Before the known end, or an error that is not an end: cut short.
      if (length != kUnknownLength || result != kResultFalse || got != 0) return false;
      break;
    }
    if (got == 0) {
      if (length != kUnknownLength) return false;
      break;
    }
  }
  return bytes->size() <= limit;
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
