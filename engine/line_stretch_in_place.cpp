// The stretch in place. Touching only the two lines, it moves half the memory
// of a stretch into other arrays, which is what bounds a stretch of long lines
// at high rates.
//
// Every new sample depends only on the read position x and the noise state s
// of its frame, so the frames can be written in any order once x and s are
// known where each run starts: s by jumps of the generator, x by following the
// chain of rounded additions segment by segment (within a binade each addition
// adds the same amount, see line_stretch.cpp), without touching the lines.
#include <cmath>
#include <cstring>

#include "engine/line_stretch.h"
#include "engine/stretch_frames.h"
#include "engine/stretch_lanes_avx2.h"
#include "engine/stretch_noise.h"
#include "engine/stretch_noise_lanes.h"
#include "engine/stretch_spans.h"
#include "engine/vector_paths.h"

namespace {

// Frames per block of a growth. The window of old samples a block reads is
// at most kBlock + 2 (the step is below 1), plus what the widest vector run
// loads past its last frame; both lines' windows stay in the first-level
// cache.
constexpr int32_t kBlock = 1024;
constexpr int32_t kWindow = kBlock + 32;

// Two steps per frame.
constexpr NoiseJump kBlockJump = noiseJump(2 * kBlock);
constexpr NoiseJump kGroupJump = noiseJump(16);
constexpr NoiseJump kGroupBack = jumpBack(kGroupJump);
static_assert(composeJumps(kGroupJump, kGroupBack).mul == 1u &&
                  composeJumps(kGroupJump, kGroupBack).add == 0u,
              "stepping back undoes stepping on");

#ifdef QUILLET_WIDE_VECTORS
// The frames a .. a + 8 * groups - 1 of a growth, all inside one binade of
// the read position (frame j reads at xa + (j - a) * inc, exactly the chain),
// written eight at a time from the last down, straight from the lines: frame
// j reads old samples below j + 1, none of which a group above has
// overwritten. Each group is the arithmetic of the forward eight-frame run in
// line_stretch.cpp, so the same bits. sa is the noise state before frame a;
// every read, with the eight samples the run loads past it, lies below
// oldLength.
__attribute__((target("avx512f,avx512dq"))) void descendingRunAvx512(double* lineL, double* lineR,
                                                                     int32_t a, int32_t groups,
                                                                     double xa, double inc,
                                                                     uint32_t sa) {
  alignas(64) uint64_t stL[8];
  alignas(64) uint64_t stR[8];
  // The states of the last group.
  eightFrameStates(sa, noiseJump(16 * (groups - 1)), kFrameOrder, stL, stR);
  __m512i statesL = _mm512_load_si512(stL);
  __m512i statesR = _mm512_load_si512(stR);
  const __m512i backMul = _mm512_set1_epi64(kGroupBack.mul);
  const __m512i backAdd = _mm512_set1_epi64(kGroupBack.add);
  // Group g's positions: xa + (8 g + j) * inc, exact in the binade.
  const __m512d lanes =
      _mm512_mul_pd(_mm512_set1_pd(inc), _mm512_set_pd(7.0, 6.0, 5.0, 4.0, 3.0, 2.0, 1.0, 0.0));
  if (!runsWorthFinding(xa, inc)) {
    // Each group tests its pairs.
    const double top = xa + static_cast<double>(8 * (groups - 1)) * inc;
    __m512d xs = _mm512_add_pd(_mm512_set1_pd(top), lanes);
    const __m512d xsDec = _mm512_set1_pd(8.0 * inc);
    for (int32_t i = a + 8 * (groups - 1); i >= a; i -= 8) {
      eightFramesAvx512(lineL, lineR, lineL + i, lineR + i, xs, statesL, statesR);
      xs = _mm512_sub_pd(xs, xsDec);
      statesL = stepNoiseLanes(statesL, backMul, backAdd);
      statesR = stepNoiseLanes(statesR, backMul, backAdd);
    }
    return;
  }
  // Runs of groups that read consecutive pairs (stretch_spans.h) go without
  // the test; each group between them takes it.
  groupsByRunsAvx512<-1>(lineL, lineR, lineL + a, lineR + a, xa, inc, groups, statesL, statesR,
                         backMul, backAdd);
}

// As descendingRunAvx512 on AVX2 (stretch_lanes_avx2.h): the states in 32-bit
// lanes, and the eight frames read exactly the pairs they interpolate.
__attribute__((target("avx2"))) void descendingRunAvx2(double* lineL, double* lineR, int32_t a,
                                                       int32_t groups, double xa, double inc,
                                                       uint32_t sa) {
  alignas(32) uint32_t stL[8];
  alignas(32) uint32_t stR[8];
  // The states of the last group.
  eightFrameStates(sa, noiseJump(16 * (groups - 1)), kNoiseLaneOfFrame, stL, stR);
  __m256i statesL = _mm256_load_si256(reinterpret_cast<const __m256i*>(stL));
  __m256i statesR = _mm256_load_si256(reinterpret_cast<const __m256i*>(stR));
  const __m256i backMul = _mm256_set1_epi32(static_cast<int>(kGroupBack.mul));
  const __m256i backAdd = _mm256_set1_epi32(static_cast<int>(kGroupBack.add));
  // Group g's positions: xa + (8 g + j) * inc, exact in the binade.
  const __m256d incs = _mm256_set1_pd(inc);
  const __m256d lanes0 = _mm256_mul_pd(incs, _mm256_set_pd(3, 2, 1, 0));  // exact
  const __m256d lanes1 = _mm256_mul_pd(incs, _mm256_set_pd(7, 6, 5, 4));
  if (!runsWorthFinding(xa, inc)) {
    // Each group tests its pairs.
    const double top = xa + static_cast<double>(8 * (groups - 1)) * inc;
    __m256d xs0 = _mm256_add_pd(_mm256_set1_pd(top), lanes0);
    __m256d xs1 = _mm256_add_pd(_mm256_set1_pd(top), lanes1);
    const __m256d xsDec = _mm256_set1_pd(8.0 * inc);
    for (int32_t i = a + 8 * (groups - 1); i >= a; i -= 8) {
      eightFramesAvx2(lineL, lineR, lineL + i, lineR + i, xs0, xs1, statesL, statesR);
      xs0 = _mm256_sub_pd(xs0, xsDec);
      xs1 = _mm256_sub_pd(xs1, xsDec);
      statesL = stepNoiseLanesAvx2(statesL, backMul, backAdd);
      statesR = stepNoiseLanesAvx2(statesR, backMul, backAdd);
    }
    return;
  }
  // Runs of groups that read consecutive pairs (stretch_spans.h) go without
  // the test; each group between them takes it.
  groupsByRunsAvx2<-1>(lineL, lineR, lineL + a, lineR + a, xa, inc, groups, statesL, statesR,
                       backMul, backAdd);
}
#endif

#ifdef QUILLET_WIDE_VECTORS
// Both positions in one binade [2^(e-1), 2^e).
bool sameBinade(double a, double b) {
  int ea = 0, eb = 0;
  std::frexp(a, &ea);
  std::frexp(b, &eb);
  return ea == eb;
}
#endif

// Read positions of the frames 0, kBlock, 2 * kBlock, ... into starts:
// exactly the chain x = x + step of the plain stretch, taken a whole segment
// at a time where every addition in it adds the same amount. For a whole
// block inside one such segment, that amount goes into uniform; 0 for the
// others.
void blockStartPositions(double step, int32_t newLength, double* starts, double* uniform) {
  double x = 0.0;
  int32_t i = 0;
  int32_t next = 0;  // the next block's first frame
  while (i < newLength) {
    double top = 0.0;
    const double inc = x > 0.0 ? roundedIncrement(x, step, top) : 0.0;
    int32_t m = 0;
    if (inc > 0.0) {
      // Frames i + 1 .. i + m sit at x + j * inc, each sum exact below top.
      const double room = (top - x) / inc;
      const int32_t left = newLength - i;
      m = room < static_cast<double>(left) ? static_cast<int32_t>(room) : left;
      while (m > 0 && !(x + static_cast<double>(m) * inc < top)) --m;
    }
    if (m > 0) {
      for (; next < i + m; next += kBlock) {
        starts[next / kBlock] = x + static_cast<double>(next - i) * inc;
        const bool whole = next + kBlock <= newLength && next + kBlock - 1 <= i + m;
        uniform[next / kBlock] = whole ? inc : 0.0;
      }
      x = x + static_cast<double>(m) * inc;
      i += m;
    } else {
      if (next == i) {
        starts[next / kBlock] = x;
        uniform[next / kBlock] = 0.0;
        next += kBlock;
      }
      x = x + step;
      ++i;
    }
  }
}

}  // namespace

int32_t stretchScratchElements(int32_t longest, int32_t extra) {
  // The window, then each block's start position and whether it is uniform
  // (the left array; the right one holds the window and the noise states).
  return kWindow + 2 * ((longest + kBlock - 1) / kBlock) + extra;
}

bool stretchLinesInPlace(double* lineL, double* lineR, int32_t oldLength, int32_t newLength,
                         uint32_t seed, double* scratchL, double* scratchR, int32_t scratch,
                         VectorPath widest) {
  const double firstL = lineL[0];
  const double firstR = lineR[0];
  const double step = static_cast<double>(oldLength) / newLength;
  if (newLength <= oldLength) {
    // Frame i reads at x >= i, and every run loads what it reads before it
    // stores: no frame reads a sample already overwritten, but the first one.
    const StretchRings r{lineL, lineR, oldLength, lineL, lineR, newLength, &firstL, &firstR};
    double x = 0.0;
    uint32_t s = seed;
    int32_t i = 0;
    stretchFrames(r, i, x, s, step, widest);
    return true;
  }

  const int32_t blocks = (newLength + kBlock - 1) / kBlock;
  if (scratch < kWindow + 2 * blocks) return false;
  double* windowL = scratchL;
  double* windowR = scratchR;
  double* startX = scratchL + kWindow;
  double* startS = scratchR + kWindow;  // generator states, exact in a double
  double* uniform = startX + blocks;
  blockStartPositions(step, newLength, startX, uniform);
#ifdef QUILLET_WIDE_VECTORS
  const bool descend512 = widest >= VectorPath::kAvx512 && processorHasAvx512();
  const bool descend256 = widest >= VectorPath::kAvx2 && processorHasAvx2();
#endif
  uint32_t state = seed;
  for (int32_t b = 0; b < blocks; ++b) {
    startS[b] = static_cast<double>(state);
    state = state * kBlockJump.mul + kBlockJump.add;
  }

  // Frame i reads below i, so from the last block down every block finds the
  // old samples it reads still in place (all below its first frame but at
  // most kBlock + 2 of them, which are not yet overwritten either). They are
  // copied first, as the block overwrites some of them.
  for (int32_t b = blocks - 1; b >= 0; --b) {
    int32_t i = b * kBlock;
    const int32_t end = newLength - i < kBlock ? newLength : i + kBlock;
    double x = startX[b];
    uint32_t s = static_cast<uint32_t>(startS[b]);
#ifdef QUILLET_WIDE_VECTORS
    // Most blocks need no copy: a block inside one binade, reading (with what
    // the run loads past it) below the last old sample, runs from its end.
    // The blocks below it in the same segment of the chain join the run: one
    // run from the top down needs nothing set up per block.
    const double inc = uniform[b];
    if ((descend512 || descend256) && inc > 0.0 &&
        x + kBlock * inc + 18.0 < static_cast<double>(oldLength)) {
      int32_t lowest = b;
      while (lowest > 0 && uniform[lowest - 1] == inc &&
             startX[lowest - 1] + static_cast<double>(kBlock) * inc == startX[lowest] &&
             sameBinade(startX[lowest - 1], x)) {
        --lowest;
      }
      const int32_t groups = (b - lowest + 1) * (kBlock / 8);
      const double xa = startX[lowest];
      const uint32_t sa = static_cast<uint32_t>(startS[lowest]);
      if (descend512) {
        descendingRunAvx512(lineL, lineR, lowest * kBlock, groups, xa, inc, sa);
      } else {
        descendingRunAvx2(lineL, lineR, lowest * kBlock, groups, xa, inc, sa);
      }
      b = lowest;
      continue;
    }
#endif
    int32_t lo = static_cast<int32_t>(x);
    if (lo > oldLength - 1) lo = oldLength - 1;
    const int32_t hi = oldLength - lo < kWindow ? oldLength : lo + kWindow;
    std::memcpy(windowL, lineL + lo, sizeof(double) * static_cast<size_t>(hi - lo));
    std::memcpy(windowR, lineR + lo, sizeof(double) * static_cast<size_t>(hi - lo));
    // The window stands for the old ring from sample lo on.
    const StretchRings r{windowL - lo, windowR - lo, oldLength, lineL,
                         lineR,        end,          &firstL,   &firstR};
    stretchFrames(r, i, x, s, step, widest);
  }
  return true;
}
