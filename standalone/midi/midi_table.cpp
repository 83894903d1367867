#include "standalone/midi/midi_table.h"

#include <memory>

namespace quillet::standalone {

namespace {

// 0: nothing; else 1 | kind << 1 | style << 3 | index << 5.
uint16_t encode(const MidiTarget& t) {
  return static_cast<uint16_t>(1u | static_cast<unsigned>(t.kind) << 1 |
                               static_cast<unsigned>(t.style) << 3 |
                               static_cast<unsigned>(t.index) << 5);
}

MidiTarget decode(uint16_t e) {
  return {static_cast<MidiTargetKind>((e >> 1) & 3), static_cast<int32_t>(e >> 5),
          static_cast<SwitchStyle>((e >> 3) & 3)};
}

}  // namespace

MidiTable::MidiTable() {
  for (auto* table : {&controls, &notes, &programs})
    for (auto& row : *table)
      for (Entry& e : row) e.store(0, std::memory_order_relaxed);
}

void MidiTable::publish(const MidiMap& map) {
  struct Plain {
    uint16_t controls[kChannels][129] = {}, notes[kChannels][129] = {},
             programs[kChannels][129] = {};
  };
  const auto wanted = std::make_unique<Plain>();
  for (const MidiBinding& b : map.bindings()) {
    const uint16_t e = encode(b.target);
    switch (b.source.kind) {
      case MidiSourceKind::kControl:
        wanted->controls[b.source.channel][b.source.number] = e;
        break;
      case MidiSourceKind::kNote:
        wanted->notes[b.source.channel][b.source.number] = e;
        break;
      case MidiSourceKind::kAnyNote:
        wanted->notes[b.source.channel][kAnyNote] = e;
        break;
      case MidiSourceKind::kProgram:
        wanted->programs[b.source.channel][b.source.number] = e;
        break;
    }
  }
  auto update = [](Entry(&to)[kChannels][129], const uint16_t(&from)[kChannels][129]) {
    for (int c = 0; c < kChannels; ++c)
      for (int n = 0; n < 129; ++n)
        if (to[c][n].load(std::memory_order_relaxed) != from[c][n])
          to[c][n].store(from[c][n], std::memory_order_relaxed);
  };
  update(controls, wanted->controls);
  update(notes, wanted->notes);
  update(programs, wanted->programs);
}

bool MidiTable::find(const Entry (&row)[kChannels][129], uint8_t channel, int number,
                     MidiTarget* target) {
  uint16_t e = row[channel + 1][number].load(std::memory_order_relaxed);
  if (e == 0) e = row[0][number].load(std::memory_order_relaxed);
  if (e == 0) return false;
  *target = decode(e);
  return true;
}

bool MidiTable::control(uint8_t channel, uint8_t number, MidiTarget* target) const {
  return channel < 16 && number < 128 && find(controls, channel, number, target);
}

bool MidiTable::note(uint8_t channel, uint8_t number, MidiTarget* target) const {
  return channel < 16 && number < 128 &&
         (find(notes, channel, number, target) || find(notes, channel, kAnyNote, target));
}

bool MidiTable::program(uint8_t channel, uint8_t number, MidiTarget* target) const {
  return channel < 16 && number < 128 && find(programs, channel, number, target);
}

}  // namespace quillet::standalone
