// The MIDI map as the audio thread reads it: for every channel (and "any"),
// controller, note and program, what it drives, in one atomic word each.
// The main thread publishes a new map entry by entry (only the entries that
// change), so the audio thread never waits and never sees a torn entry; a
// message that comes during a publish finds its entry old or new.
#pragma once

#include <atomic>
#include <cstdint>

#include "standalone/midi/midi_map.h"

namespace quillet::standalone {

class MidiTable {
 public:
  MidiTable();
  MidiTable(const MidiTable&) = delete;
  MidiTable& operator=(const MidiTable&) = delete;

  // Main thread.
  void publish(const MidiMap& map);

  // Audio thread (any thread): what a message on `channel` (0-15) drives;
  // false for nothing. A channel's own binding comes before one for any.
  bool control(uint8_t channel, uint8_t number, MidiTarget* target) const;
  bool note(uint8_t channel, uint8_t number, MidiTarget* target) const;
  bool program(uint8_t channel, uint8_t number, MidiTarget* target) const;

 private:
  using Entry = std::atomic<uint16_t>;
  static constexpr int kChannels = 17;  // 0: any; 1-16
  static constexpr int kAnyNote = 128;
  static bool find(const Entry (&row)[kChannels][129], uint8_t channel, int number,
                   MidiTarget* target);

  Entry controls[kChannels][129];
  Entry notes[kChannels][129];  // [128]: any note
  Entry programs[kChannels][129];
  static_assert(std::atomic<uint16_t>::is_always_lock_free, "the table must be lock-free");
};

}  // namespace quillet::standalone
