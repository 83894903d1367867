#include "core/block_changes.h"

#include <algorithm>
#include <cmath>

namespace quillet {

namespace {

bool stretchesLines(int32_t index) {
  return index < kNumQuilletParams && kQuilletParams[index].stretchesLines;
}

bool before(const TimedChange& a, const TimedChange& b) {
  return a.frame != b.frame ? a.frame < b.frame : a.index < b.index;
}

}  // namespace

uint32_t stretchSpacingFrames(double sampleRate) {
  const double frames = std::floor(sampleRate * kStretchSpacingMs / 1000.0);
  if (!(frames >= 1.0)) return 1;
  return frames >= 1e9 ? 1000000000u : static_cast<uint32_t>(frames);
}

void BlockChanges::add(uint32_t frame, int32_t index, float value) {
  if (index < 0 || index >= kIndexes) return;
  if (count < kCapacity) {
    list[count++] = {frame, index, value};
    return;
  }
  overflowed |= 1u << index;
  overflowValues[index] = value;
}

void BlockChanges::sort() {
  // Bottom-up merge sort through the scratch list: stable, no allocation,
  // n log n on a host's worst list.
  TimedChange* from = list;
  TimedChange* to = scratch;
  for (uint32_t width = 1; width < count; width *= 2) {
    for (uint32_t start = 0; start < count; start += 2 * width) {
      const uint32_t middle = std::min(start + width, count);
      const uint32_t end = std::min(start + 2 * width, count);
      std::merge(from + start, from + middle, from + middle, from + end, to + start, before);
    }
    std::swap(from, to);
  }
  if (from != list) std::copy(from, from + count, list);
}

void BlockChanges::applyOverflowTo(PieceRunner& runner, uint32_t frame) {
  for (int32_t index = 0; index < kIndexes; ++index)
    if (overflowed & (1u << index)) runner.apply({frame, index, overflowValues[index]});
  overflowed = 0;
}

void applyAll(BlockChanges& changes, PieceRunner& runner) {
  changes.sort();
  for (uint32_t i = 0; i < changes.size(); ++i) runner.apply(changes[i]);
  changes.applyOverflowTo(runner, 0);
}

void runInPieces(BlockChanges& changes, uint32_t frames, double sampleRate, PieceRunner& runner) {
  if (frames == 0) {
    applyAll(changes, runner);
    return;
  }
  changes.sort();
  const uint32_t spacing = stretchSpacingFrames(sampleRate);
  // The stretch changes waiting for the spacing to pass: a bit per index.
  uint32_t waiting = 0;
  float waitingValues[kFirstFormatChange] = {};
  bool stretched = false;  // whether the lines stretched in this block yet
  uint32_t lastStretch = 0;
  uint32_t next = 0;  // the first change not yet applied
  const uint32_t count = changes.size();
  auto wait = [&](const TimedChange& change) {
    waiting |= 1u << change.index;
    waitingValues[change.index] = change.value;
  };
  for (uint32_t at = 0; at < frames;) {
    const bool mayStretch = !stretched || at - lastStretch >= spacing;
    bool stretchesHere = false;
    if (waiting && mayStretch) {
      for (int32_t index = 0; index < kFirstFormatChange; ++index)
        if (waiting & (1u << index)) runner.apply({at, index, waitingValues[index]});
      waiting = 0;
      stretchesHere = true;
    }
    for (; next < count && changes[next].frame <= at; ++next) {
      const TimedChange& change = changes[next];
      if (!stretchesLines(change.index)) {
        runner.apply(change);
      } else if (mayStretch) {
        runner.apply({at, change.index, change.value});
        stretchesHere = true;
      } else {
        wait(change);
      }
    }
    if (stretchesHere) {
      stretched = true;
      lastStretch = at;
    }
    // Stretch changes that come before the spacing has passed wait without
    // splitting the block; the piece runs to the next change that does not,
    // or to where waiting changes may stretch the lines, or to the end.
    const uint64_t release = uint64_t{lastStretch} + spacing;
    for (; next < count && stretched && stretchesLines(changes[next].index) &&
           changes[next].frame < release && changes[next].frame < frames;
         ++next)
      wait(changes[next]);
    uint64_t end = next < count ? std::min(changes[next].frame, frames) : frames;
    if (waiting) end = std::min(end, release);
    runner.run(at, static_cast<uint32_t>(end) - at);
    at = static_cast<uint32_t>(end);
  }
  // Those still waiting, the changes at or past the block's end and those
  // that found no room, oldest first: stored now, they take effect with the
  // next block.
  for (int32_t index = 0; index < kFirstFormatChange; ++index)
    if (waiting & (1u << index)) runner.apply({frames, index, waitingValues[index]});
  for (; next < count; ++next) runner.apply({frames, changes[next].index, changes[next].value});
  changes.applyOverflowTo(runner, frames);
}

}  // namespace quillet
