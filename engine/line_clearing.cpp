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
//   it is read, so the range of the new lines begins past it.
//
// The echo therefore always reads exactly what a clear in one go would have
// left, and when the ranges have closed (after about 40 ms of audio at any
// rate) the memory holds it too.
#include <algorithm>

#include "engine/echo_engine.h"

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
