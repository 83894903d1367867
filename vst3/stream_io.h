// Whole reads and writes over a host's IBStream, which may move fewer bytes
// per call than asked.
#pragma once

#include <cstddef>
#include <vector>

#include "vst3/interface/stream.h"

namespace quillet::vst3 {

// Reads the rest of the stream into *bytes. False when there is no stream,
// when it holds more than `limit` bytes (nothing beyond limit + 1 is read),
// or when a read fails before the end: a state cut short by a failing stream
// is not taken for a whole one. Where the stream can tell its length (seek
// to its end), every byte up to there must come; otherwise reading stops at
// the first read that delivers nothing, and a read that answers with an
// error other than kResultFalse (which some streams give at their end) fails.
bool readWholeStream(IBStream* stream, size_t limit, std::vector<uint8>* bytes);

// False unless every byte was taken.
bool writeStream(IBStream* stream, const uint8* bytes, size_t size);

}  // namespace quillet::vst3
