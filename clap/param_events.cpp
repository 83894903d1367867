#include "clap/param_events.h"

#include <cmath>

#include "clap/param_mapping.h"

namespace quillet::clap {

namespace {

// Stores each change into the core and runs each piece of the block.
template <class Sample>
class CorePieces final : public quillet::core::PieceRunner {
 public:
  CorePieces(quillet::core::EchoCore& core, const Sample* const* in, Sample* const* out)
      : core_(core), in_(in), out_(out) {}
  void apply(const quillet::core::TimedChange& change) override {
    core_.setParameter(change.index, change.value);
  }
  void run(uint32_t offset, uint32_t frames) override {
    if (in_ == nullptr) return;
    const Sample* in[2] = {in_[0] + offset, in_[1] + offset};
    Sample* out[2] = {out_[0] + offset, out_[1] + offset};
    core_.process(in, out, frames);
  }

 private:
  quillet::core::EchoCore& core_;
  const Sample* const* in_;
  Sample* const* out_;
};

}  // namespace

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
      changes_.add(header->time, index, stored);
      tailParams_ = tailParams_ || core::kQuilletParams[index].shapesTail;
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

bool ParamEventBatch::takeTailFlag() {
  const bool tail = tailParams_;
  tailParams_ = false;
  changes_.clear();
  return tail;
}

bool ParamEventBatch::storeAll(quillet::core::EchoCore& core) {
  CorePieces<float> store(core, nullptr, nullptr);
  quillet::core::applyAll(changes_, store);
  return takeTailFlag();
}

template <class Sample>
bool ParamEventBatch::runBlock(quillet::core::EchoCore& core, const Sample* const* in,
                               Sample* const* out, uint32_t frames) {
  CorePieces<Sample> pieces(core, in, out);
  quillet::core::runInPieces(changes_, frames, pieces);
  return takeTailFlag();
}

template bool ParamEventBatch::runBlock(quillet::core::EchoCore&, const float* const*,
                                        float* const*, uint32_t);
template bool ParamEventBatch::runBlock(quillet::core::EchoCore&, const double* const*,
                                        double* const*, uint32_t);

double ParamEventBatch::takeTempo() {
  const double tempo = tempo_;
  tempo_ = 0.0;
  return tempo;
}

}  // namespace quillet::clap
