// The 512-bit vector erf (see vector_erf_lanes.h), for processors with
// AVX-512 F and DQ.
#include <cmath>
#include <cstring>

#include "engine/vector_erf.h"
#include "engine/vector_paths.h"

#ifdef QUILLET_WIDE_VECTORS

// Every function below, the lane code included, is compiled for the wider
// instructions; the rest of the library is not.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512dq"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq")
#endif

#include <immintrin.h>

namespace quillet::engine {

using V8 = double __attribute__((vector_size(64)));
using M8 = decltype(V8{} < V8{});

namespace {
inline bool anyLane(M8 m) {
  const __m512i v = reinterpret_cast<__m512i>(m);
  return _mm512_test_epi64_mask(v, v) != 0;
}
}  // namespace

}  // namespace quillet::engine

#include "engine/vector_erf_lanes.h"

namespace quillet::engine {

void erfArrayAvx512(const double* x, double* y, int32_t n) {
  int32_t k = 0;
  for (; k + 8 <= n; k += 8) {
    V8 v;
    std::memcpy(&v, x + k, sizeof v);
    M8 library;
    const V8 r = erfLanes(v, library);
    const __m512i handOver = reinterpret_cast<__m512i>(library);
    const unsigned lanes = _mm512_test_epi64_mask(handOver, handOver);
    if (lanes == 0) {
      std::memcpy(y + k, &r, sizeof r);
      continue;
    }
    double saved[8];  // x and y may alias
    std::memcpy(saved, x + k, sizeof saved);
    std::memcpy(y + k, &r, sizeof r);
    for (int lane = 0; lane < 8; ++lane) {
      if (lanes & (1u << lane)) y[k + lane] = std::erf(saved[lane]);
    }
  }
  if (k < n) erfArrayAvx2(x + k, y + k, n - k);
}

}  // namespace quillet::engine

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else

namespace quillet::engine {

void erfArrayAvx512(const double* x, double* y, int32_t n) {
  for (int32_t k = 0; k < n; ++k) y[k] = std::erf(x[k]);
}

}  // namespace quillet::engine

#endif
