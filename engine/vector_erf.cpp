// The 128-bit vector erf and the load-time check of both widths.
#include "engine/vector_erf.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "engine/vector_paths.h"

using V2 = double __attribute__((vector_size(16)));
using M2 = decltype(V2{} < V2{});  // lanes of all ones or all zeros

namespace {
inline bool anyLane(M2 m) { return _mm_movemask_pd(reinterpret_cast<__m128d>(m)) != 0; }
}  // namespace

#include "engine/vector_erf_lanes.h"

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

int32_t erfCheckArguments(double* out, int32_t capacity) {
  int32_t n = 0;
  const auto add = [&](double v) {
    if (n < capacity) out[n++] = v;
    if (n < capacity) out[n++] = -v;
  };
  // Each bound the library branches on, with 16 neighbours on either side.
  for (double edge : {0x1p-1015, 0x1p-28, 0.84375, 1.25}) {
    double up = edge, down = edge;
    add(edge);
    for (int i = 0; i < 16; ++i) {
      up = std::nextafter(up, 2.0);
      down = std::nextafter(down, 0.0);
      add(up);
      add(down);
    }
  }
  add(0.0);
  add(std::numeric_limits<double>::denorm_min());
  add(std::numeric_limits<double>::min());
  add(1.0);
  add(6.0);
  add(std::numeric_limits<double>::infinity());
  add(std::numeric_limits<double>::quiet_NaN());
  for (int e = -1074; e <= 0; e += 7) add(std::ldexp(1.2345678901234567, e));
  for (int i = 0; i < 3000; ++i) add(1.3 * (i + 0.5) / 3000.0);
  return n;
}

namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool widthMatches(void (*vectorErf)(const double*, double*, int32_t)) {
  constexpr int32_t kCapacity = 8192;
  static double args[kCapacity], results[kCapacity];
  const int32_t n = erfCheckArguments(args, kCapacity);
  vectorErf(args, results, n);
  for (int32_t k = 0; k < n; ++k) {
    if (!sameBits(results[k], std::erf(args[k]))) return false;
  }
  return true;
}

// Read here rather than from vector_paths.cpp: the order in which the two
// files' load-time values are worked out is not defined.
bool processorRuns(int width) {
#ifdef QUILLET_WIDE_VECTORS
  __builtin_cpu_init();
  if (width == 256) return __builtin_cpu_supports("avx2") != 0;
  return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512dq") != 0;
#else
  (void)width;
  return false;
#endif
}

// Worked out when the library loads, before any audio thread runs.
const bool kVectorErfMatches = widthMatches(&erfArraySse2) &&
                               (!processorRuns(256) || widthMatches(&erfArrayAvx2)) &&
                               (!processorRuns(512) || widthMatches(&erfArrayAvx512));

}  // namespace

bool vectorErfMatchesLibrary() { return kVectorErfMatches; }

ErfArray widestVectorErf(VectorPath widest) {
  if (!kVectorErfMatches) return nullptr;
  if (widest >= VectorPath::kAvx512 && processorHasAvx512()) return &erfArrayAvx512;
  if (widest >= VectorPath::kAvx2 && processorHasAvx2()) return &erfArrayAvx2;
  return &erfArraySse2;
}
