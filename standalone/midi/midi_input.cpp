#include "standalone/midi/midi_input.h"

#include "core/param_table.h"

namespace quillet::standalone {

void MidiInput::reset() {
  stream.reset();
  midi.forgetControllers();
  taps.restart();
  clockKnown = false;
}

void MidiInput::beginBlock(quillet::core::BlockChanges* blockChanges, uint32_t frameTime,
                           double sampleRate, TransportTempo transportTempo, void* context) {
  changes = blockChanges;
  transport = transportTempo;
  transportContext = context;
  if (sampleRate > 0.0 && sampleRate != rate) {
    // Taps are counted in frames: a new rate starts a new row.
    taps = TapTempo(sampleRate);
    rate = sampleRate;
  }
  // JACK's frame clock is 32 bits wide: the difference since the last block
  // carries the widened clock over a wrap.
  blockStart =
      clockKnown ? blockStart + static_cast<uint32_t>(frameTime - static_cast<uint32_t>(blockStart))
                 : frameTime;
  clockKnown = true;
  midi.beginBlock();
}

void MidiInput::event(uint32_t frame, const uint8_t* bytes, size_t size) {
  if (!changes) return;
  stream.feed(bytes, size, [&](const MidiMessage& m) { midi.message(frame, m, *this); });
}

void MidiInput::change(uint32_t frame, int32_t index, float value) {
  changes->add(frame, index, value);
}

void MidiInput::tap(uint32_t frame) {
  const double bpm = taps.tap(blockStart + frame);
  if (bpm <= 0.0 || !tempo.set(bpm, TempoSource::kTap)) return;
  if (transport && transport(transportContext) > 0.0) return;
  const DelaySetting echo = tempo.echoAt(bpm);
  changes->add(frame, engine::kParamDelay, echo.delay);
  changes->add(frame, engine::kParamRange, echo.range);
}

}  // namespace quillet::standalone
