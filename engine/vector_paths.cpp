#include "engine/vector_paths.h"

#ifdef QUILLET_WIDE_VECTORS
namespace {

// Read when the library loads, before any audio thread runs: a function-local
// static would take the initialisation guard's lock on the first audio block.
bool supports(bool (*test)()) {
  __builtin_cpu_init();
  return test();
}

const bool kAvx2 = supports([] { return __builtin_cpu_supports("avx2") != 0; });
const bool kAvx512 = supports([] {
  return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512dq") != 0;
});

}  // namespace

bool processorHasAvx2() { return kAvx2; }
bool processorHasAvx512() { return kAvx512; }
#else
bool processorHasAvx2() { return false; }
bool processorHasAvx512() { return false; }
#endif
