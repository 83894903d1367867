// Event lists as a CLAP host hands them to a plug-in: input events the host
// fills before a call, and an output list that keeps what the plug-in sends.
// Both keep their memory between blocks, so a host that reserves first does
// not allocate while the plug-in processes.
#pragma once

#include <cstdint>
#include <vector>

#include "clap/interface/clap_process.h"

namespace quillet::host {

class ClapInputEvents {
 public:
  ClapInputEvents();
  ClapInputEvents(const ClapInputEvents&) = delete;
  ClapInputEvents& operator=(const ClapInputEvents&) = delete;

  void reserve(size_t events);
  void clear();
  // A parameter's new value at `time` frames into the block.
  void paramValue(uint32_t time, clap_id id, double value);
  void transport(uint32_t time, const clap_event_transport_t& transport);
  // Any event as it is (the size its header gives), for tests of odd input.
  void raw(const clap_event_header_t* event);
  size_t size() const { return offsets.size(); }
  const clap_input_events_t* list() const { return &events; }

 private:
  std::vector<uint64_t> storage;  // 8-byte slots keep every event aligned
  std::vector<size_t> offsets;
  clap_input_events_t events{};
};

// One event the plug-in sent, kept whole.
struct ClapOutputEvent {
  uint16_t type = 0;
  uint32_t flags = 0;
  uint32_t time = 0;
  clap_id paramId = CLAP_INVALID_ID;
  double value = 0.0;  // for parameter values
};

class ClapOutputEvents {
 public:
  ClapOutputEvents();
  ClapOutputEvents(const ClapOutputEvents&) = delete;
  ClapOutputEvents& operator=(const ClapOutputEvents&) = delete;

  void reserve(size_t events) { received.reserve(events); }
  void clear() { received.clear(); }
  const std::vector<ClapOutputEvent>& events() const { return received; }
  const clap_output_events_t* list() const { return &out; }

 private:
  std::vector<ClapOutputEvent> received;
  clap_output_events_t out{};
};

}  // namespace quillet::host
