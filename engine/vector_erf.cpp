// The 128-bit vector erf and the load-time verdict on every x86 width.
#include "engine/vector_erf.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>

#include "engine/vector_paths.h"

namespace quillet::engine {

using V2 = double __attribute__((vector_size(16)));
using M2 = decltype(V2{} < V2{});  // lanes of all ones or all zeros

namespace {
inline bool anyLane(M2 m) { return _mm_movemask_pd(reinterpret_cast<__m128d>(m)) != 0; }
}  // namespace

}  // namespace quillet::engine

#include "engine/vector_erf_lanes.h"

namespace quillet::engine {

void erfArraySse2(const double* x, double* y, int32_t n) {
  int32_t k = 0;
  for (; k + 2 <= n; k += 2) {
    V2 v;
    std::memcpy(&v, x + k, sizeof v);
    M2 library;
    const V2 r = erfLanes(v, library);
    const int handOver = _mm_movemask_pd(reinterpret_cast<__m128d>(library));
    const double x0 = x[k], x1 = x[k + 1];  // x and y may alias
    std::memcpy(y + k, &r, sizeof r);
    if (handOver & 1) y[k] = std::erf(x0);
    if (handOver & 2) y[k + 1] = std::erf(x1);
  }
  for (; k < n; ++k) y[k] = std::erf(x[k]);
}

namespace {

// Worked out when the library loads, before any audio thread runs.
const bool kVectorErfMatches =
    erfMatchesLibraryOnCheckArguments(&erfArraySse2) &&
    (!processorRuns(VectorPath::kAvx2) || erfMatchesLibraryOnCheckArguments(&erfArrayAvx2)) &&
    (!processorRuns(VectorPath::kAvx512) || erfMatchesLibraryOnCheckArguments(&erfArrayAvx512));

}  // namespace

bool vectorErfMatchesLibrary() { return kVectorErfMatches; }

ErfArray widestVectorErf(VectorPath widest) {
  if (!kVectorErfMatches) return nullptr;
  if (widest >= VectorPath::kAvx512 && processorHasAvx512()) return &erfArrayAvx512;
  if (widest >= VectorPath::kAvx2 && processorHasAvx2()) return &erfArrayAvx2;
  return &erfArraySse2;
}

}  // namespace quillet::engine
