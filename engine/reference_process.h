// The echo engine's processing written as plainly as possible: the oracle the
// engine's own (faster) loop is proven against. Tests and benchmarks only.
#pragma once

#include <cstdint>

#include "engine/echo_engine.h"

// Processes one block on `engine`'s state exactly as EchoEngine::process
// must, one frame at a time, with the direct stretch.
void processDirect(EchoEngine& engine, const EchoParams& params, bool monoIO,
                   const float* const* inputs, float* const* outputs, int32_t sampleFrames);
void processDirect(EchoEngine& engine, const EchoParams& params, bool monoIO,
                   const double* const* inputs, double* const* outputs, int32_t sampleFrames);
