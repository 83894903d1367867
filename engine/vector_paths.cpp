#include "engine/vector_paths.h"

namespace quillet::engine {

bool processorRuns(VectorPath path) {
  if (path == VectorPath::kNeon) {
#ifdef QUILLET_NEON_ENGINE
    return true;  // every aarch64 processor has NEON (Advanced SIMD)
#else
    return false;
#endif
  }
#ifdef QUILLET_WIDE_VECTORS
  __builtin_cpu_init();
  if (path == VectorPath::kAvx2) return __builtin_cpu_supports("avx2") != 0;
  if (path == VectorPath::kAvx512)
    return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512dq") != 0;
  return true;
#else
  return path < VectorPath::kAvx2;
#endif
}

namespace {

// Read when the library loads, before any audio thread runs: a function-local
// static would take the initialisation guard's lock on the first audio block.
const bool kAvx2 = processorRuns(VectorPath::kAvx2);
const bool kAvx512 = processorRuns(VectorPath::kAvx512);

}  // namespace

bool processorHasAvx2() { return kAvx2; }
bool processorHasAvx512() { return kAvx512; }

}  // namespace quillet::engine
