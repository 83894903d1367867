// A block's parameter changes at their own frames, as VST3 and CLAP hosts
// send them, and the rule by which a block is run in pieces split at them.
//
// A change at frame k sounds exactly as it would from a VST 2.4 host that
// split its block at k and stored the value there: the frames before k run
// on the old value, the frames from k on the new one. Changes at one frame
// are stored in parameter order, the last of a parameter winning.
//
// A change of "Delay" or "Range" stretches both delay lines, work in
// proportion to their length (up to 2.6 s of audio each). The formats that
// run blocks in pieces space the stretches (EchoCore::spaceStretches): the
// lines stretch at most once in any kStretchSpacingMs, in this block or
// across blocks, a change that comes sooner waiting (the latest value of
// each) until that time has passed. A host sending a point every few frames
// during a ride so moves the echo time every 2 ms, and a stretch is made
// within those 2 ms (engine/delay_resize.cpp).
//
// Fixed room, no allocation: the format clears the list, adds what its host
// sent with the block, and runs the block through runInPieces. However many
// changes a host sends, every parameter follows its latest value within a
// few frames (BlockChanges::kCapacity).
#pragma once

#include <cstdint>

#include "core/param_table.h"

namespace quillet::core {

struct TimedChange {
  uint32_t frame;
  // A table index (0 .. kNumQuilletParams - 1), or a format's own value at
  // kFirstFormatChange and up (VST3's bypass), which the format applies.
  int32_t index;
  float value;
};

constexpr int32_t kFirstFormatChange = kNumQuilletParams;

class BlockChanges {
 public:
  // Changes one block keeps at their frames. A block that brings more (a
  // host sending points of many parameters at every frame of a long block)
  // keeps, of each parameter, the last change in each window of W frames,
  // W the smallest power of two that leaves the list at most half full: each
  // parameter then follows its latest value at most W - 1 frames late (W is
  // at most 64 for every parameter moving at every frame of an 8192-frame
  // block: 1.5 ms at 44.1 kHz).
  static constexpr uint32_t kCapacity = 4096;

  void clear() { count = 0; }
  // A change at `frame` of the block; frames at or past the block's end are
  // stored at its end. NaN values are the caller's to refuse.
  void add(uint32_t frame, int32_t index, float value);

  uint32_t size() const { return count; }
  const TimedChange& operator[](uint32_t i) const { return list[i]; }

  // Orders the list by frame, then index, keeping the order of adding among
  // changes of one index at one frame. Called by runInPieces.
  void sort();

 private:
  // Sorts, then keeps of each index the last change in each window of the
  // smallest power-of-two width that leaves at most half the room used.
  void coalesce();
  // The changes that would be kept with windows of `width` frames.
  uint32_t keptWith(uint32_t width) const;

  static constexpr int32_t kIndexes = kFirstFormatChange + 4;  // table and format changes
  TimedChange list[kCapacity];
  TimedChange scratch[kCapacity];
  uint32_t count = 0;
};

// How a format runs the pieces of a block: apply stores one change (the
// core's setParameter for a table index, the format's own for the rest);
// run processes frames [offset, offset + frames) of the block.
class PieceRunner {
 public:
  virtual void apply(const TimedChange& change) = 0;
  virtual void run(uint32_t offset, uint32_t frames) = 0;

 protected:
  ~PieceRunner() = default;
};

// Runs a block of `frames` frames (at least 1) in pieces at its changes'
// frames. Sorts `changes`.
void runInPieces(BlockChanges& changes, uint32_t frames, PieceRunner& runner);

// Stores every change at once, in the order runInPieces would, for a block
// that is not run (a parameter flush, a block answered with silence).
void applyAll(BlockChanges& changes, PieceRunner& runner);

}  // namespace quillet::core
