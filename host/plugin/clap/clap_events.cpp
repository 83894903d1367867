#include "host/plugin/clap/clap_events.h"

#include <cstring>

namespace quillet::host {

ClapInputEvents::ClapInputEvents() {
  events.ctx = this;
  events.size = [](const clap_input_events_t* list) {
    return static_cast<uint32_t>(static_cast<const ClapInputEvents*>(list->ctx)->offsets.size());
  };
  events.get = [](const clap_input_events_t* list, uint32_t index) -> const clap_event_header_t* {
    const auto* self = static_cast<const ClapInputEvents*>(list->ctx);
    if (index >= self->offsets.size()) return nullptr;
    return reinterpret_cast<const clap_event_header_t*>(self->storage.data() +
                                                        self->offsets[index]);
  };
}

void ClapInputEvents::reserve(size_t count) {
  storage.reserve(count * (sizeof(clap_event_transport_t) + 7) / 8);
  offsets.reserve(count);
}

void ClapInputEvents::clear() {
  storage.clear();
  offsets.clear();
}

void ClapInputEvents::raw(const clap_event_header_t* event) {
  offsets.push_back(storage.size());
  const size_t size =
      event->size < sizeof(clap_event_header_t) ? sizeof(clap_event_header_t) : event->size;
  storage.resize(storage.size() + (size + 7) / 8);
  std::memcpy(storage.data() + offsets.back(), event, event->size);
}

void ClapInputEvents::paramValue(uint32_t time, clap_id id, double value) {
  clap_event_param_value_t e{};
  e.header = {sizeof(e), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
  e.param_id = id;
  e.cookie = nullptr;
  e.note_id = -1;
  e.port_index = -1;
  e.channel = -1;
  e.key = -1;
  e.value = value;
  raw(&e.header);
}

void ClapInputEvents::transport(uint32_t time, const clap_event_transport_t& transport) {
  clap_event_transport_t e = transport;
  e.header = {sizeof(e), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
  raw(&e.header);
}

ClapOutputEvents::ClapOutputEvents() {
  out.ctx = this;
  out.try_push = [](const clap_output_events_t* list, const clap_event_header_t* event) {
    if (event == nullptr || event->size < sizeof(clap_event_header_t)) return false;
    ClapOutputEvent kept;
    kept.type = event->space_id == CLAP_CORE_EVENT_SPACE_ID ? event->type : 0xffff;
    kept.flags = event->flags;
    kept.time = event->time;
    if (kept.type == CLAP_EVENT_PARAM_VALUE && event->size >= sizeof(clap_event_param_value_t)) {
      const auto* v = reinterpret_cast<const clap_event_param_value_t*>(event);
      kept.paramId = v->param_id;
      kept.value = v->value;
    } else if ((kept.type == CLAP_EVENT_PARAM_GESTURE_BEGIN ||
                kept.type == CLAP_EVENT_PARAM_GESTURE_END) &&
               event->size >= sizeof(clap_event_param_gesture_t)) {
      kept.paramId = reinterpret_cast<const clap_event_param_gesture_t*>(event)->param_id;
    }
    static_cast<ClapOutputEvents*>(list->ctx)->received.push_back(kept);
    return true;
  };
}

}  // namespace quillet::host
