// Emptying the delay lines for the mute sequence (and a restart) at a cost
// in proportion to each block.
//
// Clearing memory that is already empty changes nothing that can be heard, so
// a clear happens only when an echo block has used the lines since the last
// one. And the clear need not happen when the lines are emptied, nor all at
// once: the lines only have to read as empty. The elements [from, to) of
// linesUncleared count as 0 but may still hold old samples in memory; every
// element outside that range holds its true value.
//
// - Every block, muted or not, zeroes kClearedPerFrame elements per frame
//   from the top of that range down.
// - An echo block after the lines were emptied starts at position 0 and
//   writes the ring in order, so until it wraps round the range begins at the
//   write position: a block zeroes just the elements it is about to read
//   first (as many as it has frames), which it then writes.
// - A stretch of a ring that the range reaches into reads those elements as
//   the zeros they stand for (delay_resize.cpp). The lines then change place
//   with the spare lines, and their range goes with them (spareUncleared),
//   where the top-down clear goes on; the new ring is written in full before
//   it is read, so the range of the new lines begins past it. A stretch made
//   in runs makes the frames whose old pairs all lie in the range as their
//   noise alone (what the stretch of zeros gives), reading none; before any
//   other run it zeroes the pairs of the range that run interpolates: the
//   run's stretch of old samples where the step is short, each frame's pair
//   where it is long. A stretch made at once has them zeroed first.
//
// The echo therefore always reads exactly what a clear in one go would have
// left, and when the ranges have closed (after about 40 ms of audio at any
// rate) the memory holds it too.
#include <algorithm>
#include <cmath>

#include "engine/echo_engine.h"

namespace quillet::engine {

namespace {

// Elements of each line cleared from the top per frame of any block (1 KB of
// memory per frame). The top down meets the echo's write position coming up
// after 2.6 s / 65, about 40 ms, of audio at any rate.
constexpr int32_t kClearedPerFrame = 64;

}  // namespace

void EchoEngine::clearLines(double* left, double* right, int32_t from, int32_t to) {
  if (to <= from) return;
  std::fill(left + from, left + to, 0.0);
  std::fill(right + from, right + to, 0.0);
}

void EchoEngine::swapLines() {
  delayL.swap(spareL);
  delayR.swap(spareR);
  std::swap(linesUncleared, spareUncleared);
}

void EchoEngine::restartLinesEmpty(const EchoParams& params) {
  writePos = 0;
  underWay.active = false;  // what it would make counts as empty now
  if (!hasDelayMemory()) {
    delayLength = 0;
    return;
  }
  // Lines untouched since they were last emptied still read as empty: the
  // uncleared range, if any, begins at 0 and stays as it is.
  if (linesInUse) {
    linesInUse = false;
    linesUncleared = {0, capacity()};
  }
  delayLength = targetDelayLength(params);
}

namespace {

// Zeroes up to `budget` elements of `range` from its top down.
template <typename Range, typename Clear>
void clearFromTop(Range& range, int64_t budget, Clear clear) {
  if (!range.open() || budget <= 0) return;
  const int64_t left = range.to - range.from;
  const int32_t from = budget >= left ? range.from : range.to - static_cast<int32_t>(budget);
  clear(from, range.to);
  range.to = from;
  if (!range.open()) range = Range{};
}

}  // namespace

void EchoEngine::continueLineClear(int32_t sampleFrames) {
  const int64_t budget = static_cast<int64_t>(sampleFrames) * kClearedPerFrame;
  clearFromTop(linesUncleared, budget,
               [&](int32_t from, int32_t to) { clearLines(delayL.get(), delayR.get(), from, to); });
  clearFromTop(spareUncleared, budget,
               [&](int32_t from, int32_t to) { clearLines(spareL.get(), spareR.get(), from, to); });
}

void EchoEngine::clearAheadOfEcho(int32_t sampleFrames) {
  linesInUse = true;
  if (sampleFrames <= 0) return;
  // Below the ring's end the range begins at the write position (the ring has
  // been written in order from 0 since it was emptied).
  Uncleared& range = linesUncleared;
  if (range.open() && range.from < delayLength) {
    const int64_t readEnd = static_cast<int64_t>(writePos) + sampleFrames;
    const int32_t ringEnd = std::min(delayLength, range.to);
    const int32_t zeroEnd = readEnd < ringEnd ? static_cast<int32_t>(readEnd) : ringEnd;
    clearLines(delayL.get(), delayR.get(), range.from, zeroEnd);
    // The block writes every element it reads; one that wraps round has
    // written the whole ring.
    range.from = readEnd >= delayLength ? delayLength : zeroEnd;
    if (!range.open()) range = Uncleared{};
  }
  continueLineClear(sampleFrames);
}

namespace {

// Steps up to this make a run read one stretch of old samples, at most this
// many per frame, zeroed in one go; above it each frame's pair on its own.
constexpr double kDenseStep = 4.0;
// The old samples a run may load past its last pair: the AVX-512 window of
// sixteen from a group's first pair (line_stretch.h).
constexpr int64_t kLoadedPastPairs = 16;

// Frame i of a stretch reads the pair at trunc(x_i), x_i within far less
// than one sample of i * step: one sample either side of this covers it.
int64_t pairAt(double step, int64_t i) {
  return static_cast<int64_t>(static_cast<double>(i) * step);
}

// The first frame whose pairAt is k or more.
int64_t firstFrameReading(double step, int64_t k) {
  if (k <= 0) return 0;
  int64_t i = static_cast<int64_t>(std::ceil(static_cast<double>(k) / step));
  while (i > 0 && pairAt(step, i - 1) >= k) --i;
  while (pairAt(step, i) < k) ++i;
  return i;
}

}  // namespace

int32_t EchoEngine::makeStretchRun(int32_t most) {
  StretchMaker& maker = underWay.maker;
  const int32_t first = maker.nextFrame();
  int32_t count = maker.runLength(most);
  const Uncleared& range = spareUncleared;  // the old rings' range
  const int32_t end = std::min(range.to, underWay.oldLength);
  if (count > 0 && maker.readsOld() && range.from < end) {
    // Frames [zerosFrom, zerosTo) read pairs that lie in the range.
    const double step = maker.oldStep();
    const int64_t zerosFrom = firstFrameReading(step, static_cast<int64_t>(range.from) + 1);
    const int64_t zerosTo = firstFrameReading(step, static_cast<int64_t>(end) - 2);
    if (first >= zerosFrom && first < zerosTo)
      return maker.makeRunOfZeros(static_cast<int32_t>(std::min<int64_t>(count, zerosTo - first)),
                                  widestPath);
    if (first < zerosFrom && zerosFrom < zerosTo)
      count = static_cast<int32_t>(std::min<int64_t>(count, zerosFrom - first));
  }
  clearAheadOfStretch(first, count);
  return maker.makeRun(count, widestPath);
}

void EchoEngine::clearAheadOfStretch(int32_t first, int32_t count) {
  const StretchMaker& maker = underWay.maker;
  const Uncleared& range = spareUncleared;  // the old rings' range
  const int32_t end = std::min(range.to, underWay.oldLength);
  if (count <= 0 || !maker.readsOld() || range.from >= end) return;
  const auto zero = [&](int64_t lo, int64_t hi) {
    const int64_t a = std::max<int64_t>(lo, range.from);
    const int64_t b = std::min<int64_t>(hi, end);
    if (a < b)
      clearLines(spareL.get(), spareR.get(), static_cast<int32_t>(a), static_cast<int32_t>(b));
  };
  const double step = maker.oldStep();
  const int32_t last = first + count - 1;
  // A frame that reads the last old sample pairs it with the first.
  if (pairAt(step, last) + 2 >= underWay.oldLength) zero(0, 2);
  if (step <= kDenseStep) {
    const int64_t lo = pairAt(step, first) - 1;
    const int64_t hi = pairAt(step, last) + 3 + kLoadedPastPairs;
    zero(lo, hi);
  } else {
    for (int32_t i = first; i <= last; ++i) zero(pairAt(step, i) - 1, pairAt(step, i) + 3);
  }
}

void EchoEngine::clearBeforeStretch(int32_t oldLength) {
  Uncleared& range = linesUncleared;
  if (!range.open() || range.from >= oldLength) return;
  const int32_t end = std::min(oldLength, range.to);
  clearLines(delayL.get(), delayR.get(), range.from, end);
  range.from = end;
  if (!range.open()) range = Uncleared{};
}

void EchoEngine::noteStretched(int32_t newLength) {
  linesInUse = true;
  Uncleared& range = linesUncleared;
  if (!range.open()) return;
  range.from = std::max(range.from, newLength);
  if (!range.open()) range = Uncleared{};
}

void EchoEngine::prepareLinesForEcho() {
  if (!hasDelayMemory()) return;
  clearLines(delayL.get(), delayR.get(), linesUncleared.from, linesUncleared.to);
  clearLines(spareL.get(), spareR.get(), spareUncleared.from, spareUncleared.to);
  linesUncleared = spareUncleared = Uncleared{};
  linesInUse = true;
}

}  // namespace quillet::engine
