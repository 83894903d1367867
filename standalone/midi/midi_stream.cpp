#include "standalone/midi/midi_stream.h"

namespace quillet::standalone {

namespace {

// Data bytes after each System Common status (0xF1-0xF7): the time code
// quarter frame and song select take one, song position two; the undefined
// ones and tune request none.
constexpr uint8_t kCommonDataBytes[7] = {1, 2, 1, 0, 0, 0, 0};

uint8_t dataBytesOf(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == kProgramChange || kind == 0xD0 ? 1 : 2;
}

}  // namespace

bool MidiStream::take(uint8_t byte, MidiMessage* message) {
  if (byte >= 0xF8) return false;  // real time: clock, start, stop, active sensing, reset
  if (byte >= 0x80) {
    haveFirst = false;
    skip = 0;
    inSysEx = byte == 0xF0;
    if (byte < 0xF0) {
      running = byte;
      return false;
    }
    running = 0;
    if (byte > 0xF0) skip = kCommonDataBytes[byte - 0xF1];
    return false;
  }
  if (inSysEx) return false;
  if (skip > 0) {
    --skip;
    return false;
  }
  if (running == 0) return false;
  if (dataBytesOf(running) == 2 && !haveFirst) {
    first = byte;
    haveFirst = true;
    return false;
  }
  *message = haveFirst ? MidiMessage{running, first, byte} : MidiMessage{running, byte, 0};
  haveFirst = false;
  return true;
}

}  // namespace quillet::standalone
