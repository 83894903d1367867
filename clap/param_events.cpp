#include "clap/param_events.h"

#include <cmath>

#include "clap/param_mapping.h"

namespace quillet_clap {

void ParamEventBatch::collect(const clap_input_events_t* events) {
  if (events == nullptr || events->size == nullptr || events->get == nullptr) return;
  const uint32_t count = events->size(events);
  for (uint32_t i = 0; i < count; ++i) {
    const clap_event_header_t* header = events->get(events, i);
    if (header == nullptr || header->space_id != CLAP_CORE_EVENT_SPACE_ID) continue;
    if (header->type == CLAP_EVENT_PARAM_VALUE &&
        header->size >= sizeof(clap_event_param_value_t)) {
      const auto* event = reinterpret_cast<const clap_event_param_value_t*>(header);
      const int index = paramIndexOf(event->param_id);
      float stored = 0.0f;
      if (index < 0 || !plainToStored(index, event->value, &stored)) continue;
      if (present_[index] && header->time < times_[index]) continue;
      values_[index] = stored;
      times_[index] = header->time;
      present_[index] = true;
    } else if (header->type == CLAP_EVENT_TRANSPORT &&
               header->size >= sizeof(clap_event_transport_t)) {
      collectTransport(reinterpret_cast<const clap_event_transport_t*>(header));
    }
  }
}

void ParamEventBatch::collectTransport(const clap_event_transport_t* transport) {
  if (transport == nullptr || (transport->flags & CLAP_TRANSPORT_HAS_TEMPO) == 0) return;
  if (std::isfinite(transport->tempo) && transport->tempo > 0.0) tempo_ = transport->tempo;
}

bool ParamEventBatch::applyTo(quillet::EchoCore& core) {
  bool tailParams = false;
  for (int index = 0; index < kNumQuilletParams; ++index) {
    if (!present_[index]) continue;
    core.setParameter(index, values_[index]);
    present_[index] = false;
    tailParams =
        tailParams || index == kParamDelay || index == kParamRepeat || index == kParamRange;
  }
  return tailParams;
}

double ParamEventBatch::takeTempo() {
  const double tempo = tempo_;
  tempo_ = 0.0;
  return tempo;
}

}  // namespace quillet_clap
