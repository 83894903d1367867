// The pieces of the fast stretch that StretchMaker runs a run of frames at a
// time (line_stretch.cpp).
#pragma once

#include <cstdint>

#include "engine/line_stretch.h"
#include "engine/vector_paths.h"

// Frames i .. r.newLength - 1 of a stretch, from read position x and noise
// state s on; leaves i, x and s where the next frame would start. The frames
// are the same bits wherever a run is started, as long as x and s are the
// values the plain frame-by-frame chain has there.
void stretchFrames(const StretchRings& r, int32_t& i, double& x, uint32_t& s, double step,
                   VectorPath widest);

// The amount every rounded addition of step adds while x stays in its binade,
// or 0 where that is not a fixed amount. Sets top to the binade's upper end.
double roundedIncrement(double x, double step, double& top);
