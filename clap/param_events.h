// The parameter changes and tempo one block (or one flush) brings. A block's
// parameter events take effect at their own frames: the block runs in pieces
// split at them (core/block_changes.h, which also bounds how often "Delay"
// and "Range" stretch the lines within a block); a flush stores them at once,
// in time order.
#pragma once

#include "clap/interface/clap_process.h"
#include "core/block_changes.h"
#include "core/echo_core.h"
#include "core/param_table.h"

namespace quillet::clap {

class ParamEventBatch {
 public:
  // Reads a host's event list (null is an empty list). Takes core-space
  // PARAM_VALUE events for known ids at their times, and TRANSPORT events
  // with a tempo. Everything else is skipped: other spaces and types, unknown
  // ids, NaN values, and events whose size is too small for their type.
  void collect(const clap_input_events_t* events);
  // Takes the tempo of the transport at a block's first frame, if it has one.
  void collectTransport(const clap_event_transport_t* transport);

  // Stores every collected value into the core, in time order, and forgets
  // them. True when one of them may lengthen or shorten the tail (a row
  // that shapes the tail).
  bool storeAll(quillet::core::EchoCore& core);
  // Runs a block of frames (at least 1) through the core in pieces at the
  // collected values' frames, and forgets them; true as storeAll.
  template <class Sample>
  bool runBlock(quillet::core::EchoCore& core, const Sample* const* in, Sample* const* out,
                uint32_t frames);

  // The last tempo seen since the last call, in beats per minute; 0 if none.
  double takeTempo();

 private:
  bool takeTailFlag();

  quillet::core::BlockChanges changes_;
  bool tailParams_ = false;
  double tempo_ = 0.0;
};

}  // namespace quillet::clap
