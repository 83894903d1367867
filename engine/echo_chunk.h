// What the echo block's loops share (the 128-bit one of echo_process.cpp and
// the 256-bit first pass of echo_first_pass_avx2.cpp): chunks of at most kMaxChunk frames,
// whose first pass leaves the two erf arguments of every frame and whose
// second pass writes their erf into the lines; and the choice of a loop per
// routing.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

#include "engine/vector_erf.h"

namespace quillet::engine {

// The most frames a chunk holds: the erf arguments of a chunk wait on the
// stack between the two passes.
constexpr int32_t kMaxChunk = 64;

// erf of a NaN is NaN; storing it would silence the echo for good. A value
// that is not finite is stored as 0 so the line recovers by itself. Finite
// results (always within ±1) are stored unchanged.
inline double lineValueOf(double y) { return std::isfinite(y) ? y : 0.0; }
inline double lineValue(double x) { return lineValueOf(std::erf(x)); }

// The second pass of a chunk: the erf of every argument, by vectorErf or,
// without one, by the library's erf call by call, into the lines from
// position w on. Returns the position after the chunk.
inline int32_t writeLineChunk(double* lineL, double* lineR, int32_t w, int32_t length, double* args,
                              int32_t count, ErfArray vectorErf) {
  if (vectorErf) {
    vectorErf(args, args, 2 * count);
    for (int32_t j = 0; j < count; ++j) {
      lineL[w] = lineValueOf(args[2 * j]);
      lineR[w] = lineValueOf(args[2 * j + 1]);
      if (++w >= length) w = 0;
    }
    return w;
  }
  for (int32_t j = 0; j < count; ++j) {
    lineL[w] = lineValue(args[2 * j]);
    lineR[w] = lineValue(args[2 * j + 1]);
    if (++w >= length) w = 0;
  }
  return w;
}

// Calls run(route, gliding) with the routing (0 straight, 1 and 2 ping-pong,
// 3 the mono path) and whether any smoother glides as compile-time constants,
// so each combination gets a loop of its own.
template <typename Run>
auto withRouting(int mode, bool gliding, Run&& run) {
  const auto pick = [&](auto route) {
    return gliding ? run(route, std::true_type{}) : run(route, std::false_type{});
  };
  switch (mode) {
    case 0:
      return pick(std::integral_constant<int, 0>{});
    case 1:
      return pick(std::integral_constant<int, 1>{});
    case 2:
      return pick(std::integral_constant<int, 2>{});
    default:
      return pick(std::integral_constant<int, 3>{});
  }
}

}  // namespace quillet::engine
