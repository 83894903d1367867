// The arguments every vector erf is checked on when the library loads, and
// the check itself: the same bits as the C library's erf on each of them.
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "engine/vector_erf.h"

namespace quillet::engine {

int32_t erfCheckArguments(double* out, int32_t capacity) {
  int32_t n = 0;
  const auto add = [&](double v) {
    if (n < capacity) out[n++] = v;
    if (n < capacity) out[n++] = -v;
  };
  // Each bound the library branches on, with 16 neighbours on either side.
  for (double edge : {0x1p-1015, 0x1p-28, 0.84375, 1.25}) {
    double up = edge, down = edge;
    add(edge);
    for (int i = 0; i < 16; ++i) {
      up = std::nextafter(up, 2.0);
      down = std::nextafter(down, 0.0);
      add(up);
      add(down);
    }
  }
  add(0.0);
  add(std::numeric_limits<double>::denorm_min());
  add(std::numeric_limits<double>::min());
  add(1.0);
  add(6.0);
  add(std::numeric_limits<double>::infinity());
  add(std::numeric_limits<double>::quiet_NaN());
  for (int e = -1074; e <= 0; e += 7) add(std::ldexp(1.2345678901234567, e));
  for (int i = 0; i < 3000; ++i) add(1.3 * (i + 0.5) / 3000.0);
  return n;
}

namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

// Runs while the library loads (from the load-time verdicts), before any
// audio thread: the arrays are static so the check allocates nothing.
bool erfMatchesLibraryOnCheckArguments(ErfArray erf) {
  constexpr int32_t kCapacity = 8192;
  static double args[kCapacity], results[kCapacity];
  const int32_t n = erfCheckArguments(args, kCapacity);
  erf(args, results, n);
  for (int32_t k = 0; k < n; ++k) {
    if (!sameBits(results[k], std::erf(args[k]))) return false;
  }
  return true;
}

}  // namespace quillet::engine
