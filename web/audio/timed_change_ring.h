// The one way values reach the web edition's echo: a ring of changes, each
// at the frame it takes effect, in the order they were made. The worklet's
// message handler (which runs on the audio thread between two render
// quanta) pushes, the quantum pops: one thread, no lock, and the room is
// fixed, so neither side allocates.
#pragma once

#include <cstdint>

namespace quillet::web {

struct QueuedChange {
  uint64_t frame;  // frames since the echo started; 0: the next quantum's start
  int32_t index;
  float value;
};

class TimedChangeRing {
 public:
  static constexpr uint32_t kCapacity = 8192;

  // False when the ring is full: the change is not kept.
  bool push(const QueuedChange& change) {
    if (count == kCapacity) return false;
    slots[(first + count) % kCapacity] = change;
    ++count;
    return true;
  }
  bool empty() const { return count == 0; }
  const QueuedChange& front() const { return slots[first]; }
  void pop() {
    first = (first + 1) % kCapacity;
    --count;
  }
  uint32_t size() const { return count; }

 private:
  QueuedChange slots[kCapacity];
  uint32_t first = 0;
  uint32_t count = 0;
};

}  // namespace quillet::web
