#include "standalone/pedal_tempo.h"

namespace quillet::standalone {

bool PedalTempo::set(double bpm, TempoSource source) {
  if (!isUsable(bpm) || source == TempoSource::kNone) return false;
  tempo.store(bpm, std::memory_order_relaxed);
  from.store(source, std::memory_order_relaxed);
  changes.fetch_add(1, std::memory_order_release);
  return true;
}

bool PedalTempo::follow(double quarterNotes) {
  // The note keys' lengths: a whole note (4) down to a triplet thirty-second (1/12).
  if (!(quarterNotes >= 1.0 / 12.0 - 1e-9 && quarterNotes <= 6.0 + 1e-9)) return false;
  note.store(quarterNotes, std::memory_order_relaxed);
  changes.fetch_add(1, std::memory_order_release);
  return true;
}

}  // namespace quillet::standalone
