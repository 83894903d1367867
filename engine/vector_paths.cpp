#include "engine/vector_paths.h"

// Asked once; the answer cannot change while the process runs.
bool processorHasAvx2() {
#ifdef QUILLET_WIDE_VECTORS
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
#else
  return false;
#endif
}

bool processorHasAvx512() {
#ifdef QUILLET_WIDE_VECTORS
  static const bool avx512 =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
  return avx512;
#else
  return false;
#endif
}
