#include "core/block_changes.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace quillet::core {

namespace {

bool before(const TimedChange& a, const TimedChange& b) {
  return a.frame != b.frame ? a.frame < b.frame : a.index < b.index;
}

}  // namespace

void BlockChanges::add(uint32_t frame, int32_t index, float value) {
  if (index < 0 || index >= kIndexes) return;
  if (count == kCapacity) coalesce();
  list[count++] = {frame, index, value};
}

uint32_t BlockChanges::keptWith(uint32_t width) const {
  // From the last change back: a change is kept unless a later change of
  // its index (already kept) lies in the same window.
  uint32_t lastWindow[kIndexes];
  std::fill(lastWindow, lastWindow + kIndexes, UINT32_MAX);
  uint32_t kept = 0;
  for (uint32_t i = count; i-- > 0;) {
    const uint32_t window = list[i].frame / width;
    if (lastWindow[list[i].index] == window) continue;
    lastWindow[list[i].index] = window;
    ++kept;
  }
  return kept;
}

void BlockChanges::coalesce() {
  sort();
  uint32_t width = 1;
  while (keptWith(width) > kCapacity / 2) width *= 2;  // one window holds at most kIndexes
  // The same pass, marking what it keeps, then the kept ones moved down in
  // order.
  bool keep[kCapacity];
  uint32_t lastWindow[kIndexes];
  std::fill(lastWindow, lastWindow + kIndexes, UINT32_MAX);
  for (uint32_t i = count; i-- > 0;) {
    const uint32_t window = list[i].frame / width;
    keep[i] = lastWindow[list[i].index] != window;
    lastWindow[list[i].index] = window;
  }
  uint32_t kept = 0;
  for (uint32_t i = 0; i < count; ++i)
    if (keep[i]) list[kept++] = list[i];
  count = kept;
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

void applyAll(BlockChanges& changes, PieceRunner& runner) {
  changes.sort();
  for (uint32_t i = 0; i < changes.size(); ++i) runner.apply(changes[i]);
}

void runInPieces(BlockChanges& changes, uint32_t frames, PieceRunner& runner) {
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
  // The changes at or past the block's end: stored now, they take effect
  // with the next block.
  for (; next < count; ++next) runner.apply({frames, changes[next].index, changes[next].value});
}

}  // namespace quillet::core
