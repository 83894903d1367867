// The vector erf of the portable engine (see vector_erf_lanes.h): two lanes
// at a time in GCC vectors, and the load-time verdict on it.
//
// glibc's aarch64 build compiles its erf with every a + b * c of the source
// fused into one multiply-add (GCC's default there); its x86-64 build rounds
// the product first. The two differ by one unit in the last place on a few
// percent of the arguments, so on aarch64 the lanes fuse the same terms with
// NEON's multiply-add and elsewhere keep them separate. Which one the
// library really is, the check when the library loads decides.
#include <cmath>
#include <cstring>

#include "engine/vector_erf.h"

#if defined(__aarch64__) && defined(__ARM_NEON)
#include <arm_neon.h>
#define QUILLET_FUSED_ERF 1
#endif

namespace quillet::engine {

using V2 = double __attribute__((vector_size(16)));
using M2 = decltype(V2{} < V2{});  // lanes of all ones or all zeros

namespace {

inline bool anyLane(M2 m) { return (m[0] | m[1]) != 0; }

#ifdef QUILLET_FUSED_ERF
inline float64x2_t neonPair(double v) { return vdupq_n_f64(v); }
inline float64x2_t neonPair(V2 v) { return (float64x2_t)v; }

// a + b * c rounded once, lane by lane.
struct FusedMulAdd {
  template <typename A, typename B, typename C>
  static inline __attribute__((always_inline)) V2 apply(A a, B b, C c) {
    return (V2)vfmaq_f64(neonPair(a), neonPair(b), neonPair(c));
  }
};
#endif

}  // namespace

}  // namespace quillet::engine

#include "engine/vector_erf_lanes.h"

namespace quillet::engine {
namespace {

#ifdef QUILLET_FUSED_ERF
using LibraryMulAdd = FusedMulAdd;
#else
using LibraryMulAdd = SeparateMulAdd;
#endif

}  // namespace

void erfArrayPortable(const double* x, double* y, int32_t n) {
  int32_t k = 0;
  for (; k + 2 <= n; k += 2) {
    V2 v;
    std::memcpy(&v, x + k, sizeof v);
    M2 library;
    const V2 r = erfLanes<LibraryMulAdd>(v, library);
    const double x0 = x[k], x1 = x[k + 1];  // x and y may alias
    std::memcpy(y + k, &r, sizeof r);
    if (library[0]) y[k] = std::erf(x0);
    if (library[1]) y[k + 1] = std::erf(x1);
  }
  for (; k < n; ++k) y[k] = std::erf(x[k]);
}

namespace {

// Worked out when the library loads, before any audio thread runs.
const bool kVectorErfMatches = erfMatchesLibraryOnCheckArguments(&erfArrayPortable)
#ifdef QUILLET_NEON_ENGINE
                               && erfMatchesLibraryOnCheckArguments(&erfArrayNeon)
#endif
    ;

}  // namespace

bool vectorErfMatchesLibrary() { return kVectorErfMatches; }

ErfArray widestVectorErf(VectorPath widest) {
  if (!kVectorErfMatches) return nullptr;
#ifdef QUILLET_NEON_ENGINE
  if (widest >= VectorPath::kNeon) return &erfArrayNeon;
#endif
  (void)widest;
  return &erfArrayPortable;
}

}  // namespace quillet::engine
