// Tape-like change of the delay time: both rings are stretched to the new
// length, so stored echoes keep their order and change pitch, with a faint
// noise on every stretched sample. Unless "KnobDust" is on, 1 ms crossfades
// splice the unstretched samples back in around the write position, so the
// stretch is heard without a click.
#include <algorithm>

#include "engine/echo_engine.h"
#include "engine/line_stretch.h"

// Samples in each of the splice's two 1 ms crossfades; 0 where there is
// nothing to splice: below 1 kHz there is no whole sample in 1 ms, and the
// length test keeps both crossfades inside their rings.
int32_t EchoEngine::spliceLength(int32_t oldLength, int32_t newLength) const {
  const int32_t n = static_cast<int32_t>(static_cast<double>(sampleRate) * 0.001);  // 1 ms
  return n <= 0 || n >= oldLength || n >= newLength ? 0 : n;
}

void EchoEngine::resizeDelayLines(const EchoParams& params) {
  if (!hasDelayMemory()) return;
  const int32_t oldLength = delayLength;
  const int32_t oldPos = writePos;
  const int32_t newLength = targetDelayLength(params);
  if (newLength == oldLength) return;

  int32_t newPos = 0;
  if (oldPos != 0) {
    newPos = static_cast<int32_t>(static_cast<double>(oldPos) / oldLength * newLength + 0.5);
    if (newPos >= newLength) newPos = 0;
  }
  const int32_t n = switchOn(params.knobDust()) ? 0 : spliceLength(oldLength, newLength);
  const uint32_t seed = tickSource ? tickSource() : 0u;

  if (stretch == &stretchRings && countsAsCleared(0) && unclearedTo >= oldLength) {
    // The whole old ring counts as empty (the echo resumes after "Mute" or a
    // restart and has written nothing yet): the stretch of zeros, its noise,
    // written without reading or clearing the old ring; the splice blends in
    // zeros.
    stretchEmptyRings(delayL.get(), delayR.get(), newLength, seed);
    if (n > 0) {
      const int32_t room = scratchElements(capacity()) - 2 * n;
      double* keptL = scratchL.get() + room;
      double* keptR = scratchR.get() + room;
      std::fill(keptL, keptL + 2 * n, 0.0);
      std::fill(keptR, keptR + 2 * n, 0.0);
      splice(keptL, keptR, 2 * n, n, n, delayL.get(), delayR.get(), newLength, newPos);
    }
    noteStretched(newLength);
    delayLength = newLength;
    writePos = newPos;
    return;
  }

  // Elements of the old ring that count as empty but still hold old samples
  // in memory are zeroed first, so that the stretch reads them as zeros.
  clearBeforeStretch(oldLength);

  if (stretch == &stretchRings) {
    // In place, which halves the memory the stretch touches. The 2n old
    // samples around the old position that the splice blends back in are
    // kept first, at the scratch arrays' end; the rest of them is the
    // stretch's room, sized at setup so that it always suffices.
    const int32_t room = scratchElements(capacity()) - 2 * n;
    double* keptL = scratchL.get() + room;
    double* keptR = scratchR.get() + room;
    for (int32_t j = 0; j < 2 * n; ++j) {
      int32_t r = oldPos - n + j;
      if (r < 0) r += oldLength;
      if (r >= oldLength) r -= oldLength;
      keptL[j] = delayL[r];
      keptR[j] = delayR[r];
    }
    if (!stretchLinesInPlace(delayL.get(), delayR.get(), oldLength, newLength, seed, scratchL.get(),
                             scratchR.get(), room))
      return;  // never: the room is enough for every length up to the capacity
    // The kept samples are a ring of 2n with the old position at n.
    if (n > 0) splice(keptL, keptR, 2 * n, n, n, delayL.get(), delayR.get(), newLength, newPos);
  } else {
    // Any other stretch function (the oracle) writes into the spare lines,
    // and the new rings are copied into the lines: they end up the same
    // either way, past the new ring as well.
    const StretchRings rings{delayL.get(), delayR.get(), oldLength,
                             spareL.get(), spareR.get(), newLength};
    stretch(rings, seed);
    if (n > 0) {
      splice(delayL.get(), delayR.get(), oldLength, oldPos, n, spareL.get(), spareR.get(),
             newLength, newPos);
    }
    std::copy(spareL.get(), spareL.get() + newLength, delayL.get());
    std::copy(spareR.get(), spareR.get() + newLength, delayR.get());
  }
  noteStretched(newLength);
  delayLength = newLength;
  writePos = newPos;
}

// Crossfades of n samples each between the stretched ring (newL, newR) and
// the old ring (oldL, oldR, of oldLength, last written at oldPos) around the
// new position.
void EchoEngine::splice(const double* oldL, const double* oldR, int32_t oldLength, int32_t oldPos,
                        int32_t n, double* newL, double* newR, int32_t newLength, int32_t newPos) {
  const double d = static_cast<double>(1.0f / static_cast<float>(n));

  // Behind the new position: from the stretched content into the newest
  // unstretched samples, which the next writes continue without a jump.
  double t = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    int32_t q = newPos - n + j;
    if (q < 0) q += newLength;
    int32_t r = oldPos - n + j;
    if (r < 0) r += oldLength;
    newL[q] = t * oldL[r] + (1.0 - t) * newL[q];
    newR[q] = t * oldR[r] + (1.0 - t) * newR[q];
    t = t + d;
  }

  // From the new position on: the samples the old ring was about to deliver,
  // blending into the stretched content.
  t = 0.0;
  for (int32_t j = 0; j < n; ++j) {
    int32_t q = newPos + j;
    if (q >= newLength) q -= newLength;
    int32_t r = oldPos + j;
    if (r >= oldLength) r -= oldLength;
    newL[q] = (1.0 - t) * oldL[r] + t * newL[q];
    newR[q] = (1.0 - t) * oldR[r] + t * newR[q];
    t = t + d;
  }
}
