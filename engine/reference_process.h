// The echo engine's processing written as plainly as possible: the oracle the
// engine's own (faster) loop is proven against. Tests and benchmarks only.
#pragma once

#include <cstdint>

#include "engine/echo_engine.h"

namespace quillet::engine {

// Processes one block on `engine`'s state exactly as EchoEngine::process
// must, one frame at a time, with the direct stretch. If erfArguments is
// given, it receives the two erf arguments of every echo frame, (left, right)
// in turn, for benchmarks that time erf on exactly what the loop computes.
void processDirect(EchoEngine& engine, const EchoParams& params, bool monoIO,
                   const float* const* inputs, float* const* outputs, int32_t sampleFrames,
                   double* erfArguments = nullptr);
void processDirect(EchoEngine& engine, const EchoParams& params, bool monoIO,
                   const double* const* inputs, double* const* outputs, int32_t sampleFrames,
                   double* erfArguments = nullptr);

}  // namespace quillet::engine
