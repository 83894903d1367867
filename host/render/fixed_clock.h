// A clock for reproducible renders: while it is on, every clock the plug-in
// can read from the C library (clock_gettime, gettimeofday, time) tells the
// time of the audio rendered so far, from a fixed start, instead of the
// system's. The program exports those functions itself, so a loaded library's
// references bind to them; while the clock is off they pass straight through.
#pragma once

#include <cstdint>

namespace quillet::host {

// False where this build cannot give plug-ins its own clock (Windows: they
// read GetTickCount from the system's own DLL).
bool fixedClockAvailable();

void startFixedClock();
void stopFixedClock();
// Audio time so far, in nanoseconds since the fixed start.
void advanceFixedClock(uint64_t nanoseconds);

// The system's steady clock in seconds, whether or not the fixed clock is on:
// for the host's own timing.
double realSeconds();

}  // namespace quillet::host
