// MIDI messages turned into what the pedal does, by the map in MidiTable:
// values for the parameters at the message's frame, taps of the tempo, the
// values of a factory preset; and learning, where the first controller (or,
// for the tap, note) that moves is handed to the main thread instead.
//
// 14-bit controllers: a controller 0-31 that is bound, and whose number
// plus 32 is not bound itself, takes that one as its fine half. As MIDI
// pairs them, a coarse value clears the fine half, and a fine
// value completes the last coarse one; until a fine value has come on that
// controller its values are read as 7 bits (127 is the top), from then on as
// 14 bits (16383 is).
//
// Threads: message and beginBlock on the audio thread, never allocating,
// locking or waiting; learning's calls on the main thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/param_table.h"
#include "standalone/midi/midi_map.h"
#include "standalone/midi/midi_stream.h"
#include "standalone/midi/midi_table.h"

namespace quillet::standalone {

// What the messages of one block ask for.
class MidiActions {
 public:
  // A parameter takes `value` at `frame` of the block.
  virtual void change(uint32_t frame, int32_t index, float value) = 0;
  // A tap of the tempo at `frame`.
  virtual void tap(uint32_t frame) = 0;
  // The parameter's value before the block (what a toggle flips).
  virtual float storedValue(int32_t index) const = 0;

 protected:
  ~MidiActions() = default;
};

class MidiControl {
 public:
  explicit MidiControl(const MidiTable& table) : table(table) {}
  MidiControl(const MidiControl&) = delete;
  MidiControl& operator=(const MidiControl&) = delete;

  // Audio thread: before a block's messages.
  void beginBlock() { changedInBlock = 0; }
  void message(uint32_t frame, const MidiMessage& message, MidiActions& actions);
  // Audio thread, or while none runs: forgets the coarse halves and which
  // controllers send fine ones (another server, another controller).
  void forgetControllers();

  // Main thread. The next controller that moves (for kLearnTap, or a note
  // that is struck) is for `control` (a parameter index or kLearnTap): it is
  // handed over by takeLearned instead of doing what it did.
  void learn(int32_t control) { learning.store(control + 2, std::memory_order_release); }
  void stopLearning() { learning.store(0, std::memory_order_release); }
  // The control being learned; false for none.
  bool learningControl(int32_t* control) const;
  // The source learned since the last call, with its control; false for none.
  bool takeLearned(MidiSource* source, int32_t* control);

 private:
  void control(uint32_t frame, uint8_t channel, uint8_t number, uint8_t value,
               MidiActions& actions);
  void drive(uint32_t frame, const MidiTarget& target, float value7, float value14, bool fine,
             uint8_t raw, MidiActions& actions);
  void set(uint32_t frame, int32_t index, float value, MidiActions& actions);
  bool learnFrom(const MidiMessage& message);

  const MidiTable& table;
  uint8_t coarse[16][32] = {};
  uint32_t sendsFine[16] = {};  // a bit per controller 0-31
  // Values this block has set, so that a second toggle flips the first one.
  uint32_t changedInBlock = 0;
  float blockValues[core::kNumQuilletParams] = {};
  static_assert(core::kNumQuilletParams <= 32, "a bit per parameter");

  std::atomic<int32_t> learning{0};  // the control + 2 (kLearnTap is -1); 0: not learning
  std::atomic<uint32_t> learned{0};  // a packed source and control; 0: none
};

}  // namespace quillet::standalone
