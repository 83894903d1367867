// Tap tempo as delay pedals have it: two to eight taps in a row give the
// tempo, the average of the intervals between them (the last seven at most);
// a tap more than two seconds after the one before starts a new row, and one
// that comes sooner than a tenth of a second after it (a bouncing contact,
// a chord of notes) is not a tap. Times are whole ticks of any steady clock
// (frames of the audio, microseconds), so a row tapped at exact intervals
// gives the exact tempo. No allocation, no lock.
#pragma once

#include <cstdint>

namespace quillet::standalone {

class TapTempo {
 public:
  static constexpr int kMostTaps = 8;
  static constexpr double kLongestGapSeconds = 2.0;
  static constexpr double kShortestGapSeconds = 0.1;

  explicit TapTempo(double ticksPerSecond) : ticksPerSecond(ticksPerSecond) {}

  // A tap at `ticks`: the row's tempo in beats per minute from its second
  // tap on, 0 for a first tap or one that is not a tap.
  double tap(uint64_t ticks);
  // The next tap starts a new row (the clock changed).
  void restart() { count = 0; }
  // Taps in the row so far.
  int taps() const { return count; }

 private:
  double ticksPerSecond;
  uint64_t times[kMostTaps] = {};  // the row's taps, oldest first
  int count = 0;
};

}  // namespace quillet::standalone
