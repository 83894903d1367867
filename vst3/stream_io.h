// Whole reads and writes over a host's IBStream, which may move fewer bytes
// per call than asked.
#pragma once

#include <cstddef>
#include <vector>

#include "vst3/interface/stream.h"

namespace quillet::vst3 {

// Reads until `capacity` bytes or the stream's end; returns how many came.
size_t readStream(IBStream* stream, uint8* buffer, size_t capacity);

// Reads the rest of the stream into *bytes; false when it holds more than
// `limit` bytes (nothing beyond limit + 1 is read) or there is no stream.
bool readWholeStream(IBStream* stream, size_t limit, std::vector<uint8>* bytes);

// False unless every byte was taken.
bool writeStream(IBStream* stream, const uint8* bytes, size_t size);

}  // namespace quillet::vst3
