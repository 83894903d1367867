// Emptying the delay lines for the mute sequence (and a restart) at a cost
// in proportion to each block.
//
// Clearing memory that is already empty changes nothing that can be heard, so
// a clear happens only when an echo block has used the lines since the last
// one. And the clear need not happen when the lines are emptied, nor all at
// once: the lines only have to read as empty. The elements
// [unclearedFrom, unclearedTo) count as 0 but may still hold old samples in
// memory; every element outside that range holds its true value.
//
// - Every block, muted or not, zeroes kClearedPerFrame elements per frame
//   from the top of that range down.
// - An echo block after the lines were emptied starts at position 0 and
//   writes the ring in order, so until it wraps round the range begins at the
//   write position: a block zeroes just the elements it is about to read
//   first (as many as it has frames), which it then writes.
// - A stretch of a ring that the range reaches into reads those elements as
//   the zeros they stand for (delay_resize.cpp). The new ring is then written
//   in full, so the range begins past it.
//
// The echo therefore always reads exactly what a clear in one go would have
// left, and when the range has closed (after about 40 ms of audio at any
// rate) the memory holds it too.
#include <algorithm>

#include "engine/echo_engine.h"

namespace {

// Elements of each line cleared from the top per frame of any block (1 KB of
// memory per frame). The top down meets the echo's write position coming up
// after 2.6 s / 65, about 40 ms, of audio at any rate.
constexpr int32_t kClearedPerFrame = 64;

}  // namespace

void EchoEngine::clearLines(int32_t from, int32_t to) {
  if (to <= from) return;
  std::fill(delayL.get() + from, delayL.get() + to, 0.0);
  std::fill(delayR.get() + from, delayR.get() + to, 0.0);
}

void EchoEngine::restartLinesEmpty(const EchoParams& params) {
  writePos = 0;
  if (!hasDelayMemory()) {
    delayLength = 0;
    return;
  }
  // Lines untouched since they were last emptied still read as empty: the
  // uncleared range, if any, begins at 0 and stays as it is.
  if (linesInUse) {
    linesInUse = false;
    unclearedFrom = 0;
    unclearedTo = capacity();
  }
  delayLength = targetDelayLength(params);
}

void EchoEngine::continueLineClear(int32_t sampleFrames) {
  if (unclearedFrom >= unclearedTo || sampleFrames <= 0) return;
  const int64_t budget = static_cast<int64_t>(sampleFrames) * kClearedPerFrame;
  const int64_t left = unclearedTo - unclearedFrom;
  const int32_t from = budget >= left ? unclearedFrom : unclearedTo - static_cast<int32_t>(budget);
  clearLines(from, unclearedTo);
  unclearedTo = from;
  if (unclearedTo <= unclearedFrom) unclearedFrom = unclearedTo = 0;
}

void EchoEngine::clearAheadOfEcho(int32_t sampleFrames) {
  linesInUse = true;
  if (sampleFrames <= 0) return;
  // Below the ring's end the range begins at the write position (the ring has
  // been written in order from 0 since it was emptied).
  if (unclearedFrom < unclearedTo && unclearedFrom < delayLength) {
    const int64_t readEnd = static_cast<int64_t>(writePos) + sampleFrames;
    const int32_t ringEnd = std::min(delayLength, unclearedTo);
    const int32_t zeroEnd = readEnd < ringEnd ? static_cast<int32_t>(readEnd) : ringEnd;
    clearLines(unclearedFrom, zeroEnd);
    // The block writes every element it reads; one that wraps round has
    // written the whole ring.
    unclearedFrom = readEnd >= delayLength ? delayLength : zeroEnd;
    if (unclearedFrom >= unclearedTo) unclearedFrom = unclearedTo = 0;
  }
  continueLineClear(sampleFrames);
}

void EchoEngine::clearBeforeStretch(int32_t oldLength) {
  if (unclearedFrom >= unclearedTo || unclearedFrom >= oldLength) return;
  const int32_t end = std::min(oldLength, unclearedTo);
  clearLines(unclearedFrom, end);
  unclearedFrom = end;
  if (unclearedFrom >= unclearedTo) unclearedFrom = unclearedTo = 0;
}

void EchoEngine::noteStretched(int32_t newLength) {
  if (unclearedFrom >= unclearedTo) return;
  unclearedFrom = std::max(unclearedFrom, newLength);
  if (unclearedFrom >= unclearedTo) unclearedFrom = unclearedTo = 0;
}

void EchoEngine::prepareLinesForEcho() {
  if (!hasDelayMemory()) return;
  clearLines(unclearedFrom, unclearedTo);
  unclearedFrom = unclearedTo = 0;
  linesInUse = true;
}
