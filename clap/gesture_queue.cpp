#include "clap/gesture_queue.h"

namespace quillet_clap {
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

bool GestureQueue::push(const GestureRecord& record) {
  const uint32_t written = written_.load(std::memory_order_relaxed);
  const uint32_t used = written - read_.load(std::memory_order_acquire);
  const uint32_t room = kCapacity - used;
  const uint32_t needed = record.kind == GestureRecord::kValue ? kReservedForBeginsAndEnds + 1 : 1;
  if (room < needed) return false;
  ring_[written % kCapacity] = record;
  written_.store(written + 1, std::memory_order_release);
  return true;
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

}  // namespace quillet_clap
