#include "clap/gesture_queue.h"

namespace quillet::clap {
namespace {

bool pushToHost(const clap_output_events_t* out, const GestureRecord& record) {
  const uint32_t flags = CLAP_EVENT_IS_LIVE;
  if (record.kind == GestureRecord::kValue) {
    clap_event_param_value_t event{};
    event.header = {sizeof(event), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, flags};
    event.param_id = record.paramId;
    event.cookie = nullptr;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = record.value;
    return out->try_push(out, &event.header);
  }
  clap_event_param_gesture_t event{};
  const uint16_t type = record.kind == GestureRecord::kBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN
                                                             : CLAP_EVENT_PARAM_GESTURE_END;
  event.header = {sizeof(event), 0, CLAP_CORE_EVENT_SPACE_ID, type, flags};
  event.param_id = record.paramId;
  return out->try_push(out, &event.header);
}

}  // namespace

uint32_t GestureQueue::freeSlots() const {
  return kCapacity -
         (written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire));
}

void GestureQueue::put(const GestureRecord& record) {
  const uint32_t written = written_.load(std::memory_order_relaxed);
  ring_[written % kCapacity] = record;
  written_.store(written + 1, std::memory_order_release);
}

GestureQueue::Track* GestureQueue::trackOf(clap_id id) {
  return id < static_cast<clap_id>(core::kNumQuilletParams) ? &tracks_[id] : nullptr;
}

bool GestureQueue::beginGesture(const clap_id* ids, uint32_t count) {
  if (ids == nullptr || count == 0 || count > kMaxGestureParams) return false;
  bool startable = true;
  for (uint32_t i = 0; i < count; ++i) {
    const Track* track = trackOf(ids[i]);
    if (track == nullptr || track->open || track->refused > 0) startable = false;
  }
  // The free slots only grow while the reader runs, so room seen here stays.
  if (startable && freeSlots() >= endsKept_ + 2 * count) {
    for (uint32_t i = 0; i < count; ++i) {
      put(GestureRecord{GestureRecord::kBegin, ids[i], 0.0});
      *trackOf(ids[i]) = Track{true, 0, false};
    }
    endsKept_ += count;
    return true;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (Track* track = trackOf(ids[i])) ++track->refused;
  }
  return false;
}

bool GestureQueue::endGesture(const clap_id* ids, uint32_t count) {
  if (ids == nullptr || count == 0 || count > kMaxGestureParams) return false;
  Track* first = trackOf(ids[0]);
  if (first == nullptr) return false;
  if (first->refused > 0) {
    // The innermost gesture on these parameters is one that never began.
    for (uint32_t i = 0; i < count; ++i) {
      Track* track = trackOf(ids[i]);
      if (track != nullptr && track->refused > 0) --track->refused;
    }
    hostMissed_ = true;
    return false;
  }
  bool whole = true;
  for (uint32_t i = 0; i < count; ++i) {
    Track* track = trackOf(ids[i]);
    if (track == nullptr || !track->open) {
      whole = false;
      continue;
    }
    put(GestureRecord{GestureRecord::kEnd, ids[i], 0.0});  // into the slot its begin kept
    --endsKept_;
    if (track->lostValue) whole = false;
    *track = Track{};
  }
  if (!whole) hostMissed_ = true;
  return whole;
}

bool GestureQueue::pushValue(clap_id id, double value) {
  Track* track = trackOf(id);
  if (track != nullptr && track->refused > 0) return false;
  if (freeSlots() < endsKept_ + kKeptForGestures + 1) {
    if (track != nullptr && track->open) {
      track->lostValue = true;  // told when the gesture ends
    } else {
      hostMissed_ = true;
    }
    return false;
  }
  put(GestureRecord{GestureRecord::kValue, id, value});
  return true;
}

bool GestureQueue::takeHostMissedValues() {
  const bool missed = hostMissed_;
  hostMissed_ = false;
  return missed;
}

uint32_t GestureQueue::drainTo(const clap_output_events_t* out) {
  if (out == nullptr || out->try_push == nullptr) return 0;
  uint32_t read = read_.load(std::memory_order_relaxed);
  const uint32_t written = written_.load(std::memory_order_acquire);
  uint32_t sent = 0;
  while (read != written && pushToHost(out, ring_[read % kCapacity])) {
    ++read;
    ++sent;
    read_.store(read, std::memory_order_release);
  }
  return sent;
}

uint32_t GestureQueue::size() const {
  return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
}

}  // namespace quillet::clap
