// Stretching a pair of delay rings to a new length: linear interpolation at a
// read position that advances by oldLength / newLength per written sample,
// plus the stretch noise, one generator step for the left sample and one for
// the right.
//
// What keeps every fast form the bits of the plain transcription
// (reference_stretch.cpp), which a change must keep too:
//
// 1. A frame's value. Frame i reads at x_i: k = trunc(x_i), f = x_i - k,
//    a = old[k], b = old[k + 1] (old[0] where k is the last old sample: the
//    ring closes), and writes (b - a) * f + a + noise, each operation
//    rounded on its own in that order: the engine is built without fused
//    multiply-add (-ffp-contract=off, and no target enables FMA), so every
//    vector lane is the scalar frame.
// 2. The read positions. x_0 = 0 and x_(i+1) = x_i + step, a chain of
//    rounded additions (step = oldLength / newLength). Inside one binade of
//    x every addition adds the same amount, inc = roundedIncrement (except
//    where step lies halfway between two multiples of the ulp and x is odd:
//    one plain step first), so x_(i+j) = x_i + j * inc exactly while it stays
//    below the binade's top. The vector runs compute each lane's position
//    as x + j * inc (j * inc is a multiple of the ulp, so exact) and never
//    accumulate rounded sums; a run stops before the binade's top, and the
//    frame that crosses it takes the plain scalar step. The fractions
//    f = x - trunc(x) are exact; runs of consecutive pairs carry them from
//    group to group as f + (8 * inc - 8), exact too (stretch_spans.h).
// 3. The noise. The generator state before frame i is the seed stepped 2i
//    times; the frame's left noise is stretchNoise of the state after step
//    2i + 1, its right noise of the state after step 2i + 2. Lanes take
//    their states by jumps (noiseJump: sixteen steps per group of eight
//    frames, four per pair), in the lane order each width names, and a run
//    leaves the state after its last frame's right sample. Each width forms
//    stretchNoise in its own way, each exactly (stretch_lanes_*.h).
// 4. What is read: only old[0 .. oldLength - 1], and only through the pairs
//    the frames interpolate, plus what a width loads beside them: a run
//    stops where its next frame would read the last old sample (limit =
//    oldLength - 1), so every pair (k, k + 1) it loads lies in the ring; the
//    AVX-512 window loads old[k0 .. k0 + 15] for each group and so only runs
//    below oldLength - 18. The new rings are written, never read; old and
//    new are always different arrays.
// 5. The order. stretchRings writes frames 0, 1, ... newLength - 1;
//    StretchMaker from a first frame to the ring's end, then from frame 0.
//    Any order gives the same bits, because a frame depends only on its
//    position and state (2 and 3), which a run finds wherever it starts.
#pragma once

#include <cstdint>

#include "engine/vector_paths.h"

namespace quillet::engine {

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
  // The same run for frames whose old pairs all hold zeros (+0), or count
  // as holding them: each frame its noise alone, the old rings not read.
  int32_t makeRunOfZeros(int32_t most, VectorPath widest);
  // How many frames makeRun(most) or makeRunOfZeros(most) makes.
  int32_t runLength(int32_t most) const;
  // Frame i reads the old pair at trunc(x_i), x_i within far less than one
  // sample of i * oldStep(); nothing when readsOld() is false.
  double oldStep() const { return step; }
  bool readsOld() const { return !emptyOld; }
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

  int32_t madeRun(int32_t count);
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

}  // namespace quillet::engine
