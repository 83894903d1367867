#include "core/block_changes.h"

#include <algorithm>

namespace quillet {

namespace {

bool before(const TimedChange& a, const TimedChange& b) {
  return a.frame != b.frame ? a.frame < b.frame : a.index < b.index;
}

}  // namespace

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

void runInPieces(BlockChanges& changes, uint32_t frames, double /*sampleRate*/,
                 PieceRunner& runner) {
  if (frames == 0) {
    applyAll(changes, runner);
    return;
  }
  changes.sort();
  const uint32_t count = changes.size();
  uint32_t next = 0;  // the first change not yet applied
  for (uint32_t at = 0; at < frames;) {
    for (; next < count && changes[next].frame <= at; ++next) runner.apply(changes[next]);
    const uint32_t end = next < count ? std::min(changes[next].frame, frames) : frames;
    runner.run(at, end - at);
    at = end;
  }
  // The changes at or past the block's end and those that found no room:
  // stored now, they take effect with the next block.
  for (; next < count; ++next) runner.apply({frames, changes[next].index, changes[next].value});
  changes.applyOverflowTo(runner, frames);
}

}  // namespace quillet
