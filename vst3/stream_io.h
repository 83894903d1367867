// Whole reads and writes over a host's IBStream, which may move fewer bytes
// per call than asked.
#pragma once

#include <cstddef>

#include "vst3/interface/stream.h"

namespace quillet::vst3 {

// Reads until `capacity` bytes or the stream's end; returns how many came.
size_t readStream(IBStream* stream, uint8* buffer, size_t capacity);

// False unless every byte was taken.
bool writeStream(IBStream* stream, const uint8* bytes, size_t size);

}  // namespace quillet::vst3
