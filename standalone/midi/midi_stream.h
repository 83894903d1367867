// MIDI bytes as they come from a JACK port, turned into the channel messages
// the pedal acts on. JACK normally hands over one whole message per event,
// but nothing stops a client from writing running status, several messages
// in one event, real-time bytes in the middle of a message or a System
// Exclusive dump split over several events (JACK itself splits long ones).
// So the bytes are read as one stream with the MIDI 1.0 rules:
//  - a status byte starts a message; data bytes without one continue the
//    last channel message's status (running status);
//  - real-time bytes (0xF8-0xFF) may come anywhere and change nothing;
//  - System Exclusive (0xF0 ... 0xF7) and System Common messages (0xF1-0xF7)
//    end running status, and their data bytes are skipped, across events;
//  - data bytes with no status to belong to are dropped.
// No allocation, no lock: the audio thread's.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet::standalone {

struct MidiMessage {
  uint8_t status;  // 0x80-0xEF: the kind in the upper four bits, the channel (0-15) below
  uint8_t data1;
  uint8_t data2;  // 0 for the one-byte kinds (program change, channel pressure)

  uint8_t kind() const { return status & 0xF0; }
  uint8_t channel() const { return status & 0x0F; }
};

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kProgramChange = 0xC0;

class MidiStream {
 public:
  // Reads `size` bytes, calling onMessage(const MidiMessage&) for each
  // channel message they complete.
  template <class OnMessage>
  void feed(const uint8_t* bytes, size_t size, OnMessage&& onMessage) {
    for (size_t i = 0; i < size; ++i) {
      MidiMessage message;
      if (take(bytes[i], &message)) onMessage(message);
    }
  }
  // Forgets any message in progress (the port was reconnected, the server restarted).
  void reset() { *this = MidiStream(); }

 private:
  // One byte; true when it completes a channel message.
  bool take(uint8_t byte, MidiMessage* message);

  uint8_t running = 0;  // the status data bytes belong to; 0 for none
  uint8_t first = 0;    // a two-byte message's first data byte
  bool haveFirst = false;
  uint8_t skip = 0;  // data bytes still to skip of a System Common message
  bool inSysEx = false;
};

}  // namespace quillet::standalone
