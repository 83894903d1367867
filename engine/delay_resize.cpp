// Tape-like change of the delay time: both rings are stretched to the new
// length, so stored echoes keep their order and change pitch, with a faint
// noise on every stretched sample. Unless "KnobDust" is on, 1 ms crossfades
// splice the unstretched samples back in around the write position, so the
// stretch is heard without a click.
//
// The lines and the spare lines change places when a stretch begins: the old
// rings stay untouched in the spare lines while the new ones are made in the
// lines. A stretch of the longest lines at the highest rates takes longer
// than a short block lasts, and a block reads only as many elements of the
// new ring as it has frames, from the new write position on. So the echo
// blocks make the new ring in that order (StretchMaker): each block first
// what it reads, and with it a share of the rest, sized so that the whole
// ring is made within kStretchSpacingMs of audio. Where a stretch comes
// sooner (stretches not spaced), what is left of the one before is made at
// once first. Every element is made once, before any block reads it, and the
// echo writes only elements it has read; so the lines end up as a stretch
// made at once leaves them, and every block reads the same samples.
#include <algorithm>

#include "engine/echo_engine.h"
#include "engine/line_stretch.h"

namespace quillet::engine {

// Samples in each of the splice's two 1 ms crossfades; 0 where there is
// nothing to splice: below 1 kHz there is no whole sample in 1 ms, and the
// length test keeps both crossfades inside their rings.
int32_t EchoEngine::spliceLength(int32_t oldLength, int32_t newLength) const {
  const int32_t n = static_cast<int32_t>(static_cast<double>(sampleRate) * 0.001);  // 1 ms
  return n <= 0 || n >= oldLength || n >= newLength ? 0 : n;
}

int32_t EchoEngine::framesBeforeStretchDue(const EchoParams& params) const {
  if (!spacedStretches || !hasDelayMemory() || switchOn(params.mute()) ||
      framesSinceStretch >= spacingFrames || targetDelayLength(params) == delayLength)
    return INT32_MAX;
  return spacingFrames - framesSinceStretch;
}

void EchoEngine::countTowardsSpacing(int32_t frames) {
  if (frames <= 0) return;
  framesSinceStretch =
      frames >= INT32_MAX - framesSinceStretch ? INT32_MAX : framesSinceStretch + frames;
}

void EchoEngine::resizeDelayLines(const EchoParams& params) {
  beginStretch(params);
  finishStretch();
}

bool EchoEngine::madeYet(int32_t i) const {
  if (!underWay.active) return true;
  const int32_t offset =
      i >= underWay.newPos ? i - underWay.newPos : i - underWay.newPos + delayLength;
  return offset < underWay.maker.made();
}

// The 2n old samples around the old position that the splice blends in, as a
// ring of 2n with the old position at n (zeros for old rings that count as
// empty).
void EchoEngine::keepSpliceSamples(int32_t oldLength, int32_t oldPos, int32_t n, bool zeros) {
  for (int32_t j = 0; j < 2 * n; ++j) {
    int32_t r = oldPos - n + j;
    if (r < 0) r += oldLength;
    if (r >= oldLength) r -= oldLength;
    const bool empty = zeros || countsAsCleared(r);
    scratchL[j] = empty ? 0.0 : delayL[r];
    scratchR[j] = empty ? 0.0 : delayR[r];
  }
}

void EchoEngine::beginStretch(const EchoParams& params) {
  if (!hasDelayMemory()) return;
  const int32_t newLength = targetDelayLength(params);
  if (newLength == delayLength) return;
  if (spacedStretches && framesSinceStretch < spacingFrames) return;  // it waits
  // A stretch still being made is the old rings of this one: made in full.
  finishStretch();

  const int32_t oldLength = delayLength;
  const int32_t oldPos = writePos;
  int32_t newPos = 0;
  if (oldPos != 0) {
    newPos = static_cast<int32_t>(static_cast<double>(oldPos) / oldLength * newLength + 0.5);
    if (newPos >= newLength) newPos = 0;
  }
  const int32_t n = switchOn(params.knobDust()) ? 0 : spliceLength(oldLength, newLength);
  const uint32_t seed = tickSource ? tickSource() : 0u;
  framesSinceStretch = 0;

  // Old rings that count as empty in full (the echo resumes after "Mute" or
  // a restart and has written nothing yet) are not read: the new ring is the
  // noise alone. Otherwise the elements of the old ring that count as empty
  // but still hold old samples are read as zeros: zeroed first for a stretch
  // made at once, before each run for one made in runs (clearAheadOfStretch:
  // up to the whole ring, they would cost a short block its time at once).
  const bool emptyOld = !stretch && countsAsCleared(0) && linesUncleared.to >= oldLength;
  if (stretch) clearBeforeStretch(oldLength);
  keepSpliceSamples(oldLength, oldPos, n, emptyOld);
  swapLines();
  noteStretched(newLength);
  delayLength = newLength;
  writePos = newPos;

  const StretchRings rings{spareL.get(), spareR.get(), oldLength,
                           delayL.get(), delayR.get(), newLength};
  if (stretch) {
    stretch(rings, seed);
    if (n > 0) splice(newLength, newPos, n, 0, newLength);
    return;
  }
  underWay.active = true;
  underWay.maker.begin(rings, seed, newPos, emptyOld);
  underWay.newPos = newPos;
  underWay.oldLength = oldLength;
  underWay.splice = n;
  underWay.read = 0;
  underWay.perFrame = newLength / spacingFrames + (newLength % spacingFrames != 0);
}

// What a block of sampleFrames frames reads of the new ring, and its share of
// the rest: offsets up to (read + sampleFrames) * perFrame, which passes the
// ring's length within the spacing. Made in runs of kMadeAtOnce offsets (or
// to the ring's end): a run's set-up (its generator states, its search for
// consecutive pairs, its last few frames taken one by one) costs as much as a
// few hundred frames, and a block split into one-frame pieces at a host's
// points would otherwise pay it at every piece.
void EchoEngine::makeStretchAhead(int32_t sampleFrames) {
  if (!underWay.active) return;
  constexpr int64_t kMadeAtOnce = 8192;
  const int64_t share =
      static_cast<int64_t>(underWay.read + std::max(sampleFrames, 0)) * underWay.perFrame;
  if (share > underWay.maker.made()) {
    const int64_t wanted = (share + kMadeAtOnce - 1) / kMadeAtOnce * kMadeAtOnce;
    makeStretchUpTo(wanted < delayLength ? static_cast<int32_t>(wanted) : delayLength);
  }
  underWay.read += std::max(sampleFrames, 0);
}

void EchoEngine::makeStretchUpTo(int32_t offsets) {
  StretchMaker& maker = underWay.maker;
  while (maker.made() < offsets) {
    const int32_t from = maker.made();
    const int32_t count = makeStretchRun(offsets - from);
    if (underWay.splice > 0)
      splice(delayLength, underWay.newPos, underWay.splice, from, from + count);
  }
  if (maker.done()) underWay.active = false;
}

void EchoEngine::finishStretch() {
  if (underWay.active) makeStretchUpTo(delayLength);
}

// The crossfades of n samples each between the stretched ring (the lines)
// and the old samples kept around the old position, for the elements at
// offsets [from, to) from the new position (those just made).
void EchoEngine::splice(int32_t newLength, int32_t newPos, int32_t n, int32_t from, int32_t to) {
  const double d = static_cast<double>(1.0f / static_cast<float>(n));
  double* newL = delayL.get();
  double* newR = delayR.get();
  const double* keptL = scratchL.get();
  const double* keptR = scratchR.get();

  // Behind the new position (the ring's last n offsets): from the stretched
  // content into the newest unstretched samples, which the next writes
  // continue without a jump.
  if (to > newLength - n) {
    double t = 0.0;
    for (int32_t j = 0; j < n; ++j) {
      const int32_t offset = newLength - n + j;
      if (offset >= from && offset < to) {
        int32_t q = newPos - n + j;
        if (q < 0) q += newLength;
        newL[q] = t * keptL[j] + (1.0 - t) * newL[q];
        newR[q] = t * keptR[j] + (1.0 - t) * newR[q];
      }
      t = t + d;
    }
  }

  // From the new position on: the samples the old ring was about to deliver,
  // blending into the stretched content.
  if (from < n) {
    double t = 0.0;
    for (int32_t j = 0; j < n; ++j) {
      if (j >= from && j < to) {
        int32_t q = newPos + j;
        if (q >= newLength) q -= newLength;
        newL[q] = (1.0 - t) * keptL[n + j] + t * newL[q];
        newR[q] = (1.0 - t) * keptR[n + j] + t * newR[q];
      }
      t = t + d;
    }
  }
}

}  // namespace quillet::engine
