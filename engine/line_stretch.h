// Stretching a pair of delay rings to a new length: linear interpolation at a
// read position that advances by oldLength / newLength per written sample,
// plus the stretch noise, one generator step for the left sample and one for
// the right.
#pragma once

#include <cstdint>

struct StretchRings {
  const double* oldL;
  const double* oldR;
  int32_t oldLength;
  double* newL;
  double* newR;
  int32_t newLength;
};

// The engine's stretch. Writes exactly newLength samples into each new ring.
// Equal to stretchRingsDirect to the last bit (the tests prove it), but runs
// the interpolation and the noise two frames at a time.
void stretchRings(const StretchRings& rings, uint32_t seed);

// The vector widths the stretch may use, narrowest first. The widest one the
// processor supports, up to the given one, is taken; tests run each in turn.
enum class StretchPath { kScalar, kSse2, kAvx2, kAvx512 };
void stretchRingsUpTo(const StretchRings& rings, uint32_t seed, StretchPath widest);

// The straightforward transcription, kept as the oracle for tests and
// benchmarks (reference_stretch.cpp, not linked into the plug-ins).
void stretchRingsDirect(const StretchRings& rings, uint32_t seed);
