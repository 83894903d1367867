// The panel's gestures on their way to the host: the panel (main thread)
// queues gesture begins, values and ends; process or flush (the audio
// thread, or the main thread while inactive) hands them to the host's output
// event list. One writer, one reader, no lock, no allocation.
//
// A host sees every gesture closed: a begin is queued only with room left for
// the ends of every gesture open, its own included, and those slots stay
// kept until the ends come. A gesture that cannot begin sends nothing at all,
// neither its values nor its end.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "clap/interface/clap_process.h"
#include "core/param_table.h"

namespace quillet::clap {

struct GestureRecord {
  enum Kind : uint8_t { kBegin, kValue, kEnd };
  Kind kind;
  clap_id paramId;
  double value;  // plain value, for kValue
};

class GestureQueue {
 public:
  static constexpr uint32_t kCapacity = 256;
  // Slots values leave free, so a gesture can still begin when a host has
  // not collected values for a while.
  static constexpr uint32_t kKeptForGestures = 16;
  // Parameters one gesture may touch (a note key sets "Delay" and "Range").
  static constexpr uint32_t kMaxGestureParams = 2;

  // [writer] Begins a gesture on `count` parameters: queues their begins
  // when there is room for them and for their ends, and keeps the room for
  // the ends. False when there is not (or a parameter is already in a
  // gesture, or an id is not one of ours): nothing is queued, and the
  // gesture's values and its end are dropped.
  bool beginGesture(const clap_id* ids, uint32_t count);
  // [writer] Ends the gesture begun with the same parameters; the end goes
  // into the room its begin kept. False when the gesture never reached the
  // host (or was never begun).
  bool endGesture(const clap_id* ids, uint32_t count);
  // [writer] A value, inside a gesture or alone. False when it is dropped: no
  // room, or its gesture could not begin.
  bool pushValue(clap_id id, double value);

  // [writer] True once since the host last missed something: a value was
  // dropped outside a gesture, or a gesture that lost a value or could not
  // begin has ended. The host should then read the values again.
  bool takeHostMissedValues();

  // [reader] Pushes queued records to the host in order, each at frame 0 and
  // marked live; stops at the first record the host refuses and keeps it and
  // the rest for the next call. Returns how many went out.
  uint32_t drainTo(const clap_output_events_t* out);

  // [any thread] Records waiting.
  uint32_t size() const;

 private:
  // What the writer knows of one parameter.
  struct Track {
    bool open = false;       // its begin is queued, its end not yet
    uint32_t refused = 0;    // gestures on it that could not begin, not yet ended
    bool lostValue = false;  // a value of its open gesture was dropped
  };

  uint32_t freeSlots() const;
  void put(const GestureRecord& record);
  Track* trackOf(clap_id id);

  GestureRecord ring_[kCapacity] = {};
  std::atomic<uint32_t> written_{0};  // records ever pushed
  std::atomic<uint32_t> read_{0};     // records ever handed out
  // Writer only.
  Track tracks_[core::kNumQuilletParams] = {};
  uint32_t endsKept_ = 0;  // slots kept for the ends of open gestures
  bool hostMissed_ = false;
};

}  // namespace quillet::clap
