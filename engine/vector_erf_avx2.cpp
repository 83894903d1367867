// The 256-bit vector erf (see vector_erf_lanes.h), for processors with AVX2.
#include <cmath>
#include <cstring>

#include "engine/vector_erf.h"
#include "engine/vector_paths.h"

#ifdef QUILLET_WIDE_VECTORS

// Every function below, the lane code included, is compiled for the wider
// instructions; the rest of the library is not.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include <immintrin.h>

namespace quillet::engine {

using V4 = double __attribute__((vector_size(32)));
using M4 = decltype(V4{} < V4{});
using V2 = double __attribute__((vector_size(16)));
using M2 = decltype(V2{} < V2{});  // lanes of all ones or all zeros

namespace {
inline bool anyLane(M4 m) { return _mm256_movemask_pd(reinterpret_cast<__m256d>(m)) != 0; }
inline bool anyLane(M2 m) { return _mm_movemask_pd(reinterpret_cast<__m128d>(m)) != 0; }
}  // namespace

}  // namespace quillet::engine

#include "engine/vector_erf_lanes.h"

namespace quillet::engine {

void erfArrayAvx2(const double* x, double* y, int32_t n) {
  int32_t k = 0;
  for (; k + 4 <= n; k += 4) {
    V4 v;
    std::memcpy(&v, x + k, sizeof v);
    M4 library;
    const V4 r = erfLanes(v, library);
    const int handOver = _mm256_movemask_pd(reinterpret_cast<__m256d>(library));
    if (handOver == 0) {
      std::memcpy(y + k, &r, sizeof r);
      continue;
    }
    double saved[4];  // x and y may alias
    std::memcpy(saved, x + k, sizeof saved);
    std::memcpy(y + k, &r, sizeof r);
    for (int lane = 0; lane < 4; ++lane) {
      if (handOver & (1 << lane)) y[k + lane] = std::erf(saved[lane]);
    }
  }
  if (k + 2 <= n) {
    V2 v;
    std::memcpy(&v, x + k, sizeof v);
    M2 library;
    const V2 r = erfLanes(v, library);
    const int handOver = _mm_movemask_pd(reinterpret_cast<__m128d>(library));
    const double x0 = x[k], x1 = x[k + 1];
    std::memcpy(y + k, &r, sizeof r);
    if (handOver & 1) y[k] = std::erf(x0);
    if (handOver & 2) y[k + 1] = std::erf(x1);
    k += 2;
  }
  for (; k < n; ++k) y[k] = std::erf(x[k]);
}

}  // namespace quillet::engine

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else

namespace quillet::engine {

// Never called without the wide paths; the library's erf keeps it correct.
void erfArrayAvx2(const double* x, double* y, int32_t n) {
  for (int32_t k = 0; k < n; ++k) y[k] = std::erf(x[k]);
}

}  // namespace quillet::engine

#endif
