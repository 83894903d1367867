// The program's own tempo: the one the note keys follow, and the echo with
// them, when JACK's transport gives none (a stage has no DAW). It comes from
// taps (MIDI, the panel's T key or name plate), from --bpm, or back from the
// tempo file; with it, the note the echo follows (the last note key pressed,
// a quarter note at first): a new tempo sets the echo to that note.
//
// Threads: any; every field is atomic (the audio thread sets the tempo a
// MIDI tap gives, the main thread shows and saves it).
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/tempo_sync.h"

namespace quillet::standalone {

enum class TempoSource : uint8_t {
  kNone,    // no tempo of our own yet
  kTap,     // tapped
  kOption,  // --bpm
};

class PedalTempo {
 public:
  // The tempos the program takes, in beats per minute.
  static constexpr double kSlowest = 20.0;
  static constexpr double kFastest = 999.0;
  static bool isUsable(double bpm) { return bpm >= kSlowest && bpm <= kFastest; }

  // False, and nothing changes, for a tempo outside kSlowest..kFastest.
  bool set(double bpm, TempoSource source);
  double bpm() const { return tempo.load(std::memory_order_relaxed); }  // 0 for none
  TempoSource source() const { return from.load(std::memory_order_relaxed); }
  // Changes whenever the tempo is set: the main loop's cue to show it.
  uint32_t generation() const { return changes.load(std::memory_order_acquire); }

  // The note the echo follows, in quarter notes with its mode (1 a quarter,
  // 0.75 a dotted eighth, 2/3 a triplet quarter). False for a length that
  // is not a note key's.
  bool follow(double quarterNotes);
  double followedNote() const { return note.load(std::memory_order_relaxed); }

  // "Delay" and "Range" for the followed note at `bpm`, as the note keys set them.
  DelaySetting echoAt(double bpm) const { return delayForTime(60000.0 / bpm * followedNote()); }

 private:
  std::atomic<double> tempo{0.0};
  std::atomic<TempoSource> from{TempoSource::kNone};
  std::atomic<double> note{1.0};
  std::atomic<uint32_t> changes{0};
};

}  // namespace quillet::standalone
