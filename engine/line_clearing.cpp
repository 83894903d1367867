// Emptying the delay memory for the mute sequence at a bounded cost.
//
// Clearing memory that is already empty changes nothing that can be heard, so
// a clear happens only when an echo block has used the arrays since the last
// one. And since the muted path never reads the lines, the clear need not
// happen inside the mute sequence: it is spread over the following muted
// blocks, a fixed number of elements per frame, and whatever is left when the
// echo comes back is finished before that block's first sample. The echo
// therefore always starts from empty lines, exactly as after a clear in one go.
#include <algorithm>

#include "engine/echo_engine.h"

namespace {

// Elements of each of the four arrays cleared per muted frame (2 KB of memory
// per frame). A first mute after long playback has emptied 2.6 s lines after
// 2.6 s / 64, about 40 ms, of muted audio at any rate.
constexpr int32_t kClearedPerFrame = 64;

}  // namespace

void EchoEngine::clearTopOfArrays(int32_t from, int32_t to) {
  if (to <= from) return;
  for (double* array : {delayL.get(), delayR.get(), spareL.get(), spareR.get()})
    std::fill(array + from, array + to, 0.0);
}

void EchoEngine::restartLinesEmpty(const EchoParams& params) {
  writePos = 0;
  if (!hasDelayMemory()) {
    delayLength = 0;
    return;
  }
  // Arrays untouched since the last clear are still empty: nothing to do
  // (a clear in progress goes on where it is).
  if (linesInUse) {
    linesInUse = false;
    clearRemaining = capacity();
  }
  delayLength = targetDelayLength(params);
}

void EchoEngine::continueLineClear(int32_t sampleFrames) {
  if (clearRemaining <= 0 || sampleFrames <= 0) return;
  const int64_t budget = static_cast<int64_t>(sampleFrames) * kClearedPerFrame;
  const int32_t from = budget >= clearRemaining ? 0 : clearRemaining - static_cast<int32_t>(budget);
  clearTopOfArrays(from, clearRemaining);
  clearRemaining = from;
}

void EchoEngine::prepareLinesForEcho() {
  if (!hasDelayMemory()) return;
  if (clearRemaining > 0) {
    clearTopOfArrays(0, clearRemaining);
    clearRemaining = 0;
  }
  linesInUse = true;
}
