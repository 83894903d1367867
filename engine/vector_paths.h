// The vector widths of the engine's loops, and which of them this processor
// can run. The loops pick the widest one the processor has, up to a limit
// tests and benchmarks may lower; every width gives the same bits.
#pragma once

namespace quillet::engine {

// kSse2 is the 128-bit width: SSE2 on x86, and the pairs of doubles of the
// portable engine elsewhere. kNeon: aarch64's own loops in its 128-bit
// registers (two frames and four erf lanes a step), in builds that have them
// (QUILLET_NEON_ENGINE); the stretch takes it as kSse2.
enum class VectorPath { kScalar, kSse2, kNeon, kAvx2, kAvx512 };

// The AVX2 and AVX-512 loops are compiled with GCC or Clang on x86, unless
// the build takes the portable loops. On Windows only where the build makes
// every aligned vector move unaligned: GCC there keeps the stack 16-byte
// aligned yet spills 32- and 64-byte vectors with aligned moves.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && \
    (!defined(_WIN32) || defined(QUILLET_UNALIGNED_VECTOR_MOVES)) &&   \
    !defined(QUILLET_PORTABLE_ENGINE)
#define QUILLET_WIDE_VECTORS 1
#endif

// Whether this processor runs the loops of that width, asked of the
// processor itself each time: for values worked out while the library loads,
// whose order across files is not defined. False for the wide widths where
// their loops are not compiled in; true for kScalar and kSse2.
bool processorRuns(VectorPath path);

// The same, read once when the library loads (no lock, no call into the
// run-time on the audio thread).
bool processorHasAvx2();
bool processorHasAvx512();

}  // namespace quillet::engine
