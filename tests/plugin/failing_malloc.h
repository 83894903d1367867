// Replaces the process's malloc family so a test can watch and fail the
// allocations the plug-in makes on one thread. The plug-in carries its own
// C++ run-time, whose operator new calls malloc through the dynamic linker, so
// a failed malloc here is a std::bad_alloc inside the plug-in.
#pragma once

#include <cstddef>

namespace quillet::test {

// Starts watching the calling thread; the allocation numbered failAt (0 for
// the first) returns null, -1 fails none.
void arm(long failAt = -1);

struct Seen {
  long allocations;  // successful ones
  long releases;     // of non-null pointers
  bool failed;       // the chosen allocation was refused
};
Seen disarm();

}  // namespace quillet::test
