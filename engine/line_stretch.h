// Stretching a pair of delay rings to a new length: linear interpolation at a
// read position that advances by oldLength / newLength per written sample,
// plus the stretch noise, one generator step for the left sample and one for
// the right.
#pragma once

#include <cstdint>

#include "engine/vector_paths.h"

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

// The stretch on the widest vectors the processor supports, up to the given
// width; tests run each in turn.
void stretchRingsUpTo(const StretchRings& rings, uint32_t seed, VectorPath widest);

// The straightforward transcription, kept as the oracle for tests and
// benchmarks (reference_stretch.cpp, not linked into the plug-ins).
void stretchRingsDirect(const StretchRings& rings, uint32_t seed);
