// The echo block in NEON on aarch64 (echo_block_neon.cpp): the filters, the
// routing and the mix two frames a step, the smoothers of a glide side by
// side, the vector erf four lanes a step and the lines' stores two frames a
// step; the same bits as the 128-bit loop of echo_process.cpp.
#pragma once

#include <cstdint>

#include "engine/vector_erf.h"

namespace quillet::engine {

class EchoEngine;

// The whole echo block of `engine` in chunks of at most chunkLimit (<= 64)
// frames, from its write position on, its filters, smoothers and write
// position updated. False (nothing done) where the build has no NEON loops.
template <typename Sample>
bool echoBlockNeon(EchoEngine& engine, const Sample* const* inputs, Sample* const* outputs,
                   int32_t sampleFrames, int mode, bool monoOut, int32_t chunkLimit,
                   ErfArray vectorErf);

}  // namespace quillet::engine
