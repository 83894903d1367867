// A long proof, not part of the suite: the vector erf of both widths against
// the C library's on 10^9 random arguments (or as many as the first argument
// says) spread over -1.5 .. 1.5, the range the echo loop drives erf with and
// beyond, so every branch of the vectors and the hand-over to the library are
// hit. Prints arguments, mismatches and time; exits 1 on any mismatch.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "engine/vector_erf.h"
#include "engine/vector_paths.h"

using namespace quillet::engine;

// The narrowest vector erf: 128-bit on x86, the pairs of the portable engine
// elsewhere (which has no wider one).
#ifdef QUILLET_PORTABLE_ENGINE
const ErfArray kNarrowErf = &erfArrayPortable;
#else
const ErfArray kNarrowErf = &erfArraySse2;
#endif

int main(int argc, char** argv) {
  const long long total = argc > 1 ? std::atoll(argv[1]) : 1000000000LL;
  const bool avx2 = processorHasAvx2();
  const bool avx512 = processorHasAvx512();
  const auto t0 = std::chrono::steady_clock::now();
  long long bad[2] = {0, 0};
  const auto run = [&](int part) {
    std::mt19937_64 gen(12345 + part);
    std::uniform_real_distribution<double> dist(-1.5, 1.5);
    std::vector<double> x(1 << 16), narrow(x.size()), wide(x.size()), widest(x.size());
    for (long long done = part * static_cast<long long>(x.size()); done < total;
         done += 2 * static_cast<long long>(x.size())) {
      const int32_t n = static_cast<int32_t>(
          total - done < static_cast<long long>(x.size()) ? total - done : x.size());
      for (int32_t k = 0; k < n; ++k) x[k] = dist(gen);
      kNarrowErf(x.data(), narrow.data(), n);
#ifndef QUILLET_PORTABLE_ENGINE
      if (avx2) erfArrayAvx2(x.data(), wide.data(), n);
      if (avx512) erfArrayAvx512(x.data(), widest.data(), n);
#endif
      for (int32_t k = 0; k < n; ++k) {
        const double e = std::erf(x[k]);
        if (std::memcmp(&e, &narrow[k], sizeof e) != 0) ++bad[part];
        if (avx2 && std::memcmp(&e, &wide[k], sizeof e) != 0) ++bad[part];
        if (avx512 && std::memcmp(&e, &widest[k], sizeof e) != 0) ++bad[part];
      }
    }
  };
  std::thread other(run, 1);
  run(0);
  other.join();
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%lld arguments in -1.5 .. 1.5, widths: 128-bit%s%s; mismatches: %lld; %.1f s\n",
              total, avx2 ? ", 256-bit" : "", avx512 ? ", 512-bit" : "", bad[0] + bad[1], s);
  return bad[0] + bad[1] == 0 ? 0 : 1;
}
