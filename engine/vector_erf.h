// erf over arrays of doubles in 128-, 256- and 512-bit vectors on x86, or in
// pairs of doubles (NEON on aarch64) in the portable build, equal to the C
// library's erf bit for bit where the library is the one the vectors copy
// (glibc's, as on Debian 12 x86-64 and arm64). Lanes the vectors do not cover
// (|x| at or beyond 1.25, NaN, infinities) are handed to the library's own erf.
//
// The copy is checked once, when the library loads: vectorErfMatchesLibrary()
// is false if any of a few thousand arguments, every branch edge among them,
// gives other bits than std::erf on this machine (another C library, another
// platform, another glibc). Callers then use std::erf alone.
#pragma once

#include <cstdint>

#include "engine/vector_paths.h"

namespace quillet::engine {

// y[k] = erf(x[k]) for k < n; x and y may be the same array.
using ErfArray = void (*)(const double* x, double* y, int32_t n);

#ifdef QUILLET_PORTABLE_ENGINE
// Two lanes at a time in GCC vectors. On aarch64 every a + b * c of the
// library's source is one fused multiply-add, as glibc's aarch64 build
// computes it; elsewhere the product is rounded before the sum, as in glibc's
// x86-64 build.
void erfArrayPortable(const double* x, double* y, int32_t n);
#ifdef QUILLET_NEON_ENGINE
// The same in NEON on aarch64, four lanes a step (vector_erf_neon.cpp).
void erfArrayNeon(const double* x, double* y, int32_t n);
#endif
#else
// 128 bits at a time.
void erfArraySse2(const double* x, double* y, int32_t n);

// The same four lanes at a time; only on processors with AVX2, in builds
// that have the wide paths (QUILLET_WIDE_VECTORS).
void erfArrayAvx2(const double* x, double* y, int32_t n);

// The same eight lanes at a time; only on processors with AVX-512 F and DQ,
// in builds that have the wide paths.
void erfArrayAvx512(const double* x, double* y, int32_t n);
#endif

// The load-time verdict: true if every vector width this processor runs
// gave the library's bits on the check arguments.
bool vectorErfMatchesLibrary();

// The widest vector erf the processor runs, up to widest; null where the
// check failed, so that callers use std::erf.
ErfArray widestVectorErf(VectorPath widest);

// Whether erf gives std::erf's bits on every argument of the check below.
bool erfMatchesLibraryOnCheckArguments(ErfArray erf);

// The arguments of that check: each branch edge of the library's erf with
// its neighbours on both sides and both signs, zeros and subnormals, an even
// spread over -1.3 .. 1.3, and values the vectors hand on (1.25 and beyond,
// infinities, NaN).
int32_t erfCheckArguments(double* out, int32_t capacity);

}  // namespace quillet::engine
