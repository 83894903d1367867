// The JACK MIDI input's events, block by block, as the echo takes them: each
// message through the map at its own frame into the block's changes (the
// path the plug-ins' sample-accurate events take, core/block_changes.h),
// and the taps into the tempo. A tap that completes a tempo sets the echo
// to the followed note at that frame, unless JACK's transport gives a tempo
// (which then wins: the tapped one is kept for when it is gone).
//
// Threads: the audio thread, but for the construction and reset (while no
// block runs) and control()'s learning calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/block_changes.h"
#include "core/echo_core.h"
#include "standalone/midi/midi_control.h"
#include "standalone/midi/midi_stream.h"
#include "standalone/midi/midi_table.h"
#include "standalone/pedal_tempo.h"
#include "standalone/tap_tempo.h"

namespace quillet::standalone {

class MidiInput final : private MidiActions {
 public:
  // JACK's transport tempo now (0 for none); called on the audio thread.
  using TransportTempo = double (*)(void* context);

  MidiInput(const MidiTable& table, PedalTempo& tempo, const quillet::core::EchoCore& core)
      : midi(table), tempo(tempo), core(core) {}

  MidiControl& control() { return midi; }

  // A new link (no block runs): a message in progress, the controllers'
  // halves and the row of taps are forgotten.
  void reset();

  // Before a block's events: they go into `changes` (cleared by the caller);
  // `frameTime` is the clock's frame at the block's first frame, `rate` the
  // sample rate.
  void beginBlock(quillet::core::BlockChanges* changes, uint32_t frameTime, double rate,
                  TransportTempo transport, void* context);
  // One event of the block, at `frame`, in the order the port holds them.
  void event(uint32_t frame, const uint8_t* bytes, size_t size);

 private:
  void change(uint32_t frame, int32_t index, float value) override;
  void tap(uint32_t frame) override;
  float storedValue(int32_t index) const override { return core.parameter(index); }

  MidiStream stream;
  MidiControl midi;
  PedalTempo& tempo;
  const quillet::core::EchoCore& core;
  TapTempo taps{48000.0};
  quillet::core::BlockChanges* changes = nullptr;
  bool clockKnown = false;
  uint64_t blockStart = 0;  // the frame clock, widened so that it never wraps
  double rate = 48000.0;
  TransportTempo transport = nullptr;
  void* transportContext = nullptr;
};

}  // namespace quillet::standalone
