// The panel's gestures on their way to the host: the panel (main thread)
// queues gesture begins, values and ends; process or flush (the audio
// thread, or the main thread while inactive) hands them to the host's output
// event list. One writer, one reader, no lock, no allocation.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "clap/abi/clap_process.h"

namespace quillet_clap {

struct GestureRecord {
  enum Kind : uint8_t { kBegin, kValue, kEnd };
  Kind kind;
  clap_id paramId;
  double value;  // plain value, for kValue
};

class GestureQueue {
 public:
  static constexpr uint32_t kCapacity = 256;
  // Slots only begins and ends may take, so a gesture can always close even
  // when a host has not collected values for a while.
  static constexpr uint32_t kReservedForBeginsAndEnds = 16;

  // [writer] False when there is no room: values give way first, then begins
  // and ends.
  bool push(const GestureRecord& record);

  // [reader] Pushes queued records to the host in order, each at frame 0 and
  // marked live; stops at the first record the host refuses and keeps it and
  // the rest for the next call. Returns how many went out.
  uint32_t drainTo(const clap_output_events_t* out);

  // [any thread] Records waiting.
  uint32_t size() const;

 private:
  GestureRecord ring_[kCapacity] = {};
  std::atomic<uint32_t> written_{0};  // records ever pushed
  std::atomic<uint32_t> read_{0};     // records ever handed out
};

}  // namespace quillet_clap
