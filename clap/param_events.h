// The parameter changes and tempo one block (or one flush) brings. All of a
// block's parameter events take effect at its start: the last value per
// parameter, stored in index order, as the other editions take a block's
// stores. (A change of "Delay" therefore stretches the lines once per block,
// not at the event's frame.)
#pragma once

#include "clap/abi/clap_process.h"
#include "core/echo_core.h"
#include "core/param_table.h"

namespace quillet_clap {

class ParamEventBatch {
 public:
  // Reads a host's event list (null is an empty list). Takes core-space
  // PARAM_VALUE events for known ids, the latest in time winning (list
  // order among equal times), and TRANSPORT events with a tempo. Everything
  // else is skipped: other spaces and types, unknown ids, NaN values, and
  // events whose size is too small for their type.
  void collect(const clap_input_events_t* events);
  // Takes the tempo of the transport at a block's first frame, if it has one.
  void collectTransport(const clap_event_transport_t* transport);

  // Stores every collected value into the core, in index order, and forgets
  // them. True when one of them may lengthen or shorten the tail ("Delay",
  // "Repeat", "Range").
  bool applyTo(quillet::EchoCore& core);

  // The last tempo seen since the last call, in beats per minute; 0 if none.
  double takeTempo();

 private:
  float values_[kNumQuilletParams] = {};
  uint32_t times_[kNumQuilletParams] = {};
  bool present_[kNumQuilletParams] = {};
  double tempo_ = 0.0;
};

}  // namespace quillet_clap
