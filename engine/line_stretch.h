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

// The same stretch made a run of frames at a time, in the order the echo
// reads the new ring: from frame `first` (the new write position) to the
// ring's end, then from frame 0 up to `first`. A frame depends only on its
// read position and its noise state, which begin() finds at `first` (the
// chain of additions followed a binade at a time, and one jump of the
// generator), so every frame is the bits stretchRings writes there. The
// rings must stay as they are until the last frame is made. With emptyOld
// the old rings count as holding zeros (+0) and are not read: each new sample
// is its noise alone, as any stretch of zeros gives.
class StretchMaker {
 public:
  void begin(const StretchRings& rings, uint32_t seed, int32_t first, bool emptyOld);
  // Makes up to `most` frames from nextFrame() on, not past the ring's end
  // (the next run then starts at frame 0); returns how many.
  int32_t makeRun(int32_t most, VectorPath widest);
  int32_t nextFrame() const { return frame; }
  int32_t made() const { return madeFrames; }
  bool done() const { return madeFrames >= rings.newLength; }

 private:
  StretchRings rings{};
  double step = 0.0;
  uint32_t seed = 0;
  bool emptyOld = false;
  int32_t frame = 0;   // the next frame to make
  double x = 0.0;      // its read position
  uint32_t state = 0;  // the generator's state before it
  int32_t madeFrames = 0;
};

// The stretch of two old rings that hold nothing but zeros (+0): what any
// stretch of them writes, each new sample its noise alone (the interpolation
// of zeros is +0, and +0 plus the noise is the noise), without reading the
// old rings. Writes lineL and lineR [0, newLength).
void stretchEmptyRings(double* lineL, double* lineR, int32_t newLength, uint32_t seed,
                       VectorPath widest = VectorPath::kAvx512);

// The straightforward transcription, kept as the oracle for tests and
// benchmarks (reference_stretch.cpp, not linked into the plug-ins).
void stretchRingsDirect(const StretchRings& rings, uint32_t seed);
