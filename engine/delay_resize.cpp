// Tape-like change of the delay time: both rings are stretched to the new
// length, so stored echoes keep their order and change pitch, with a faint
// noise on every stretched sample. Unless "KnobDust" is on, 1 ms crossfades
// splice the unstretched samples back in around the write position, so the
// stretch is heard without a click.
#include <utility>

#include "engine/echo_engine.h"
#include "engine/line_stretch.h"

void EchoEngine::resizeDelayLines(const EchoParams& params) {
  if (!hasDelayMemory()) return;
  const int32_t oldLength = delayLength;
  const int32_t oldPos = writePos;
  const int32_t newLength = targetDelayLength(params);
  if (newLength == oldLength) return;

  const StretchRings rings{delayL.get(), delayR.get(), oldLength,
                           spareL.get(), spareR.get(), newLength};
  stretch(rings, tickSource ? tickSource() : 0u);

  int32_t newPos = 0;
  if (oldPos != 0) {
    newPos = static_cast<int32_t>(static_cast<double>(oldPos) / oldLength * newLength + 0.5);
    if (newPos >= newLength) newPos = 0;
  }

  if (!switchOn(params.knobDust)) spliceAroundWritePosition(oldLength, oldPos, newLength, newPos);

  std::swap(delayL, spareL);
  std::swap(delayR, spareR);
  delayLength = newLength;
  writePos = newPos;
}

void EchoEngine::spliceAroundWritePosition(int32_t oldLength, int32_t oldPos, int32_t newLength,
                                           int32_t newPos) {
  const int32_t n = static_cast<int32_t>(static_cast<double>(sampleRate) * 0.001);  // 1 ms
  // Below 1 kHz there is no whole sample in 1 ms and nothing to splice; the
  // length test keeps both crossfades inside their rings.
  if (n <= 0 || n >= oldLength || n >= newLength) return;
  const double d = static_cast<double>(1.0f / static_cast<float>(n));
  const double* oldL = delayL.get();
  const double* oldR = delayR.get();
  double* newL = spareL.get();
  double* newR = spareR.get();

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
