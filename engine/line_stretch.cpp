// The fast stretch: the frames of line_stretch.h's rules, a run of them at
// a time on the widest vectors the processor has (the runs of each width in
// stretch_lanes_128.h, stretch_lanes_avx2.h and stretch_lanes_avx512.h), the
// plain scalar frame where no run fits; the maker of a stretch in runs; the
// noise alone of an empty rings' stretch.
#include "engine/line_stretch.h"

#include <algorithm>
#include <cmath>

#include "engine/stretch_lanes_128.h"
#include "engine/stretch_lanes_avx2.h"
#include "engine/stretch_lanes_avx512.h"
#include "engine/stretch_noise.h"
#include "engine/stretch_spans.h"

namespace quillet::engine {

namespace {

// One plain step: interpolation with the ring's closing, noise, advance.
inline void scalarFrame(const StretchRings& r, int32_t i, double x, uint32_t& s) {
  int32_t k = static_cast<int32_t>(x);
  if (k > r.oldLength - 1) k = r.oldLength - 1;  // never taken: x stays below oldLength
  const double f = x - k;
  // The ring closes: the last old sample leads to the first.
  const bool closes = k >= r.oldLength - 1;
  const double nextL = closes ? r.oldL[0] : r.oldL[k + 1];
  const double nextR = closes ? r.oldR[0] : r.oldR[k + 1];
  const double left = (nextL - r.oldL[k]) * f + r.oldL[k];
  const double right = (nextR - r.oldR[k]) * f + r.oldR[k];
  s = nextNoiseState(s);
  r.newL[i] = left + stretchNoise(s);
  s = nextNoiseState(s);
  r.newR[i] = right + stretchNoise(s);
}

// The amount every rounded addition of step adds while x stays in its binade,
// or 0 where that is not a fixed amount (step smaller than one ulp, or x odd
// with step halfway between two multiples of the ulp). Sets top to the
// binade's upper end.
inline double roundedIncrement(double x, double step, double& top) {
  int e = 0;
  std::frexp(x, &e);  // x in [2^(e-1), 2^e)
  top = std::ldexp(1.0, e);
  const double ulp = std::ldexp(1.0, e - 53);
  const double next = x + step;
  if (!(next < top)) return 0.0;
  const double inc = next - x;  // exact: both are multiples of ulp below top
  if (!(inc > 0.0)) return 0.0;
  const double rest = step - inc;  // exact: inc and step are within ulp / 2
  if (rest == 0.5 * ulp || rest == -0.5 * ulp) {
    // Every sum is a tie and rounds to the neighbour with an even last bit.
    // From an even x that neighbour is always the same distance away, and x
    // stays even; from an odd x one plain step first makes it even.
    return std::fmod(x, 2.0 * ulp) == 0.0 ? inc : 0.0;
  }
  return inc;
}

// Frames i .. r.newLength - 1 of a stretch, from read position x and noise
// state s on; leaves i, x and s where the next frame would start. The frames
// are the same bits wherever a run is started, as long as x and s are the
// values the plain frame-by-frame chain has there.
void stretchFrames(const StretchRings& r, int32_t& i, double& x, uint32_t& s, double step,
                   VectorPath widest) {
  const double lastK = static_cast<double>(r.oldLength - 1);
  while (i < r.newLength) {
#ifdef QUILLET_STRETCH_128
    if (x > 0.0 && x < lastK) {
      double top = 0.0;
      const double inc = roundedIncrement(x, step, top);
      if (inc > 0.0) {
        // Runs stop below the binade's top and below the last old sample (the
        // frame that reads it closes the ring: the scalar step).
        const double limit = top < lastK ? top : lastK;
#ifdef QUILLET_WIDE_VECTORS
        if (widest >= VectorPath::kAvx512 && processorHasAvx512())
          i += fastRunAvx512(r, i, x, inc, limit, s);
        if (widest >= VectorPath::kAvx2 && processorHasAvx2())
          i += fastRunAvx2(r, i, x, inc, limit, s);
#endif
        if (widest >= VectorPath::kSse2) i += stretch128::fastRun(r, i, x, inc, limit, s);
        if (i >= r.newLength) break;
      }
    }
#else
    (void)widest;
#endif
    scalarFrame(r, i, x, s);
    x = x + step;
    ++i;
  }
}

// Frames from .. to - 1 of an empty rings' stretch, from the generator state
// s on; leaves s where the next frame starts.
void emptyFrames(double* lineL, double* lineR, int32_t from, int32_t to, uint32_t& s,
                 VectorPath widest) {
  int32_t i = from;
#ifdef QUILLET_WIDE_VECTORS
  if (widest >= VectorPath::kAvx2 && processorHasAvx2() && to - i >= 8) {
    const int32_t groups = (to - i) / 8;
    emptyGroupsAvx2(lineL + i, lineR + i, groups, s);
    i += 8 * groups;
    const NoiseJump done = noiseJump(16 * groups);  // two steps per frame
    s = s * done.mul + done.add;
  }
#else
  (void)widest;
#endif
  for (; i < to; ++i) {
    s = nextNoiseState(s);
    lineL[i] = stretchNoise(s);
    s = nextNoiseState(s);
    lineR[i] = stretchNoise(s);
  }
}

// The read position after `frames` rounded additions of step to 0: the
// plain chain x = x + step, taken a whole segment at a time where every
// addition in it adds the same amount (roundedIncrement).
double chainPosition(double step, int32_t frames) {
  double x = 0.0;
  for (int32_t done = 0; done < frames;) {
    double top = 0.0;
    const double inc = x > 0.0 ? roundedIncrement(x, step, top) : 0.0;
    int32_t m = 0;
    if (inc > 0.0) {
      // The next m sums sit at x + j * inc, each exact below top.
      const double room = (top - x) / inc;
      const int32_t left = frames - done;
      m = room < static_cast<double>(left) ? static_cast<int32_t>(room) : left;
      while (m > 0 && !(x + static_cast<double>(m) * inc < top)) --m;
    }
    if (m > 0) {
      x = x + static_cast<double>(m) * inc;
      done += m;
    } else {
      x = x + step;
      ++done;
    }
  }
  return x;
}

}  // namespace

void stretchRingsUpTo(const StretchRings& r, uint32_t seed, VectorPath widest) {
  const double step = static_cast<double>(r.oldLength) / r.newLength;
  double x = 0.0;
  uint32_t s = seed;
  int32_t i = 0;
  stretchFrames(r, i, x, s, step, widest);
}

void stretchEmptyRings(double* lineL, double* lineR, int32_t newLength, uint32_t seed,
                       VectorPath widest) {
  uint32_t s = seed;
  emptyFrames(lineL, lineR, 0, newLength, s, widest);
}

void StretchMaker::begin(const StretchRings& r, uint32_t seedValue, int32_t first, bool empty) {
  rings = r;
  step = static_cast<double>(r.oldLength) / r.newLength;
  seed = seedValue;
  emptyOld = empty;
  frame = first;
  x = empty ? 0.0 : chainPosition(step, first);    // an empty stretch reads no position
  const NoiseJump skipped = noiseJump(2 * first);  // two steps per frame
  state = seed * skipped.mul + skipped.add;
  madeFrames = 0;
}

int32_t StretchMaker::runLength(int32_t most) const {
  const int32_t left = rings.newLength - madeFrames;
  const int32_t toEnd = rings.newLength - frame;
  return std::max(0, std::min(most, std::min(left, toEnd)));
}

int32_t StretchMaker::makeRun(int32_t most, VectorPath widest) {
  if (emptyOld) return makeRunOfZeros(most, widest);
  const int32_t count = runLength(most);
  if (count <= 0) return 0;
  StretchRings run = rings;
  run.newLength = frame + count;
  stretchFrames(run, frame, x, state, step, widest);
  return madeRun(count);
}

int32_t StretchMaker::makeRunOfZeros(int32_t most, VectorPath widest) {
  const int32_t count = runLength(most);
  if (count <= 0) return 0;
  emptyFrames(rings.newL, rings.newR, frame, frame + count, state, widest);
  frame += count;
  // The next frame that reads finds its position on the chain.
  if (!emptyOld && frame < rings.newLength) x = chainPosition(step, frame);
  return madeRun(count);
}

int32_t StretchMaker::madeRun(int32_t count) {
  madeFrames += count;
  if (frame >= rings.newLength) {  // the ring's end: on from frame 0
    frame = 0;
    x = 0.0;
    state = seed;
  }
  return count;
}

void stretchRings(const StretchRings& rings, uint32_t seed) {
  stretchRingsUpTo(rings, seed, VectorPath::kAvx512);
}

}  // namespace quillet::engine
