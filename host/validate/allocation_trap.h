// Counts heap allocations and releases made on one thread while armed. The
// process's malloc family is interposed (its real work stays with the C
// library), so a plug-in's operator new and malloc are seen as well as ours.
#pragma once

#include <cstddef>

namespace quillet::host::allocation_trap {

// Arms the trap for the calling thread only and clears its count.
void arm();
// Disarms it and returns how many allocations and releases it saw.
size_t disarm();
// True when this program's allocator is interposed (always on glibc).
bool available();

// The allocations and releases the calling thread makes while `run` runs:
// how every validator counts them in a plug-in's process call.
template <class Run>
size_t countIn(Run&& run) {
  arm();
  run();
  return disarm();
}

}  // namespace quillet::host::allocation_trap
