// The echo as the JACK process callback runs it, and the one thing the
// control thread may do to it while the server keeps calling: a fresh start
// at a (new) sample rate, as a host switches a plug-in off, sets the rate and
// switches it on again.
//
// Threads: process on JACK's audio thread; never allocates, locks or waits.
// startAt on one control thread (the main loop), at any time: it stops the
// echo (the audio thread answers silence from its next block on), waits for
// a block in progress to end (at most one period), takes the delay memory
// for the rate and lets the echo start again, waiting for the first sound
// (core/first_sound.h). Values reach the echo through the core's store from
// any thread, and at their own frames through a block's changes (MIDI).
#pragma once

#include <atomic>
#include <cstdint>

#include "core/block_changes.h"
#include "core/echo_core.h"
#include "core/first_sound.h"

namespace quillet::standalone {

class EchoRunner {
 public:
  // Values reach the echo at their frames (MIDI) and from the panel's thread
  // at any time: the lines stretch at most once in any 2 ms, as in VST3 and
  // CLAP (EchoCore::spaceStretches).
  explicit EchoRunner(quillet::core::EchoCore& core) : core(core) { core.spaceStretches(true); }
  EchoRunner(const EchoRunner&) = delete;
  EchoRunner& operator=(const EchoRunner&) = delete;

  // Audio thread: one period of both channels, the block's changes each at
  // its frame (core/block_changes.h; sorted here). Silence until the first
  // startAt that succeeded, and while a later one runs; the changes are then
  // stored all the same.
  void process(const float* const* inputs, float* const* outputs, uint32_t frames,
               quillet::core::BlockChanges& changes);

  // Control thread: a fresh start at `rate`. False for a rate the echo cannot
  // run at (or no memory for it): the echo then stays silent until the next
  // startAt.
  bool startAt(double rate);
  // The rate of the last startAt that succeeded; 0 before.
  double rate() const { return runningRate.load(std::memory_order_relaxed); }

  // Before the first startAt: the tape stretch seeds its noise from the
  // audio's own clock instead of the system's, as quillet-host render
  // --fixed-clock has it: the milliseconds of audio since the first sound
  // after a start, taken at each block's start. The same input and the same
  // MIDI at the same frames then sound the same every time.
  void useFixedClock();

 private:
  quillet::core::EchoCore& core;
  quillet::core::FirstSoundGate gate;  // the audio thread's, or the control thread's while stopped
  bool fixedClock = false;
  uint64_t framesSinceSound = 0;  // with the gate: the audio thread's
  // The audio thread runs the echo only while `running`, and says when it is
  // inside a block: with both sequentially consistent, a stop that sees no
  // block in progress knows that every later block sees the stop.
  std::atomic<bool> running{false};
  std::atomic<bool> inBlock{false};
  std::atomic<double> runningRate{0.0};
};

}  // namespace quillet::standalone
