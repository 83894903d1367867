// Parameter stores on their way from whichever thread made them to the audio
// thread: a bounded lock-free queue with any number of producers and one
// consumer (the thread that processes audio). Neither side locks, allocates
// or waits: a producer that finds the queue full is told so and falls back on
// its own record of what was lost; the consumer takes what is published and
// leaves a store still being written for the next block.
#pragma once

#include <atomic>
#include <cstdint>

namespace quillet::core {

class ParamChangeQueue {
 public:
  // Far more stores than hosts make between two blocks; a power of two.
  static constexpr uint32_t kCapacity = 1024;

  struct Change {
    int32_t index;
    float value;
  };

  ParamChangeQueue() {
    for (uint32_t i = 0; i < kCapacity; ++i) slots[i].sequence.store(i, std::memory_order_relaxed);
  }
  ParamChangeQueue(const ParamChangeQueue&) = delete;
  ParamChangeQueue& operator=(const ParamChangeQueue&) = delete;

  // Any thread. False when the queue is full; nothing is stored then.
  bool push(int32_t index, float value) {
    uint32_t pos = tail.load(std::memory_order_relaxed);
    for (;;) {
      Slot& slot = slots[pos & kMask];
      const uint32_t sequence = slot.sequence.load(std::memory_order_acquire);
      const int32_t lag = static_cast<int32_t>(sequence - pos);
      if (lag == 0) {
        // The slot is free for this position: claim the position, then fill
        // and publish the slot.
        if (tail.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
          slot.index = index;
          slot.value = value;
          slot.sequence.store(pos + 1, std::memory_order_release);
          return true;
        }
      } else if (lag < 0) {
        return false;  // the consumer has not yet taken the store a lap ago
      } else {
        pos = tail.load(std::memory_order_relaxed);  // another producer got here first
      }
    }
  }

  // The consumer only. False when nothing published is left in order.
  bool pop(Change& change) {
    Slot& slot = slots[head & kMask];
    const uint32_t sequence = slot.sequence.load(std::memory_order_acquire);
    if (static_cast<int32_t>(sequence - (head + 1)) < 0) return false;
    change.index = slot.index;
    change.value = slot.value;
    slot.sequence.store(head + kCapacity, std::memory_order_release);
    ++head;
    return true;
  }

 private:
  static constexpr uint32_t kMask = kCapacity - 1;
  static_assert((kCapacity & kMask) == 0, "the capacity must be a power of two");

  struct Slot {
    std::atomic<uint32_t> sequence;
    // Set before a slot is first published; zero until then, so no compiler
    // sees a read of them that might come first (GCC's TSan build did).
    int32_t index = 0;
    float value = 0.0f;
  };

  alignas(64) std::atomic<uint32_t> tail{0};
  alignas(64) uint32_t head = 0;
  alignas(64) Slot slots[kCapacity];
};

}  // namespace quillet::core
