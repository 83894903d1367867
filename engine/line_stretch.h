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
  // Where the ring closes, the last old sample is interpolated towards the
  // first. A stretch in place has overwritten it by then and keeps it here.
  const double* firstL = nullptr;  // null: oldL[0]
  const double* firstR = nullptr;
};

// The engine's stretch. Writes exactly newLength samples into each new ring.
// Equal to stretchRingsDirect to the last bit (the tests prove it), but runs
// the interpolation and the noise two frames at a time.
void stretchRings(const StretchRings& rings, uint32_t seed);

// The stretch on the widest vectors the processor supports, up to the given
// width; tests run each in turn.
void stretchRingsUpTo(const StretchRings& rings, uint32_t seed, VectorPath widest);

// The same stretch with the old and the new ring in the same arrays: lineL
// and lineR hold the old ring of oldLength samples and receive the new one
// (both hold at least the longer of the two; what lies past the new ring is
// left as it was). Shrinking reads ahead of what it writes and runs straight
// through. Growing reads behind what it writes and so runs from the end down:
// blocks inside one binade straight from the lines, the others each first
// copying the old samples it reads into a small window of the scratch arrays
// (which also hold each block's start). Returns
// false, with nothing done, where the scratch (elements of each) is too
// small for the growth; the caller then stretches into other arrays.
bool stretchLinesInPlace(double* lineL, double* lineR, int32_t oldLength, int32_t newLength,
                         uint32_t seed, double* scratchL, double* scratchR, int32_t scratch,
                         VectorPath widest = VectorPath::kAvx512);

// The stretch of two old rings that hold nothing but zeros (+0): what any
// stretch of them writes, each new sample its noise alone (the interpolation
// of zeros is +0, and +0 plus the noise is the noise), without reading the
// old rings. Writes lineL and lineR [0, newLength).
void stretchEmptyRings(double* lineL, double* lineR, int32_t newLength, uint32_t seed,
                       VectorPath widest = VectorPath::kAvx512);

// The elements each scratch array of stretchLinesInPlace needs so that it
// never falls short for rings of up to `longest` samples, plus `extra`.
int32_t stretchScratchElements(int32_t longest, int32_t extra);

// The straightforward transcription, kept as the oracle for tests and
// benchmarks (reference_stretch.cpp, not linked into the plug-ins).
void stretchRingsDirect(const StretchRings& rings, uint32_t seed);
