// The vector erf of both widths against the C library's erf, bit for bit:
// every float in [-1.25, 1.25], the branch edges and their neighbours, lanes
// handed back to the library beside lanes the vectors keep, odd lengths and
// work in place; and the load-time check's verdict.
#include "engine/vector_erf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "engine/vector_paths.h"

using namespace quillet::engine;

namespace {

using ErfArray = void (*)(const double*, double*, int32_t);

struct Width {
  const char* name;
  ErfArray erf;
};

// The widths this processor runs.
std::vector<Width> widths() {
#ifdef QUILLET_PORTABLE_ENGINE
  std::vector<Width> w{{"pairs", &erfArrayPortable}};
#ifdef QUILLET_NEON_ENGINE
  w.push_back({"NEON", &erfArrayNeon});
#endif
  return w;
#else
  std::vector<Width> w{{"128-bit", &erfArraySse2}};
  if (processorHasAvx2()) w.push_back({"256-bit", &erfArrayAvx2});
  if (processorHasAvx512()) w.push_back({"512-bit", &erfArrayAvx512});
  return w;
#endif
}

uint64_t bitsOf(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Arguments whose vector erf differs from std::erf in its bits.
long mismatches(const std::vector<double>& x, ErfArray erf) {
  std::vector<double> y(x.size());
  erf(x.data(), y.data(), static_cast<int32_t>(x.size()));
  long bad = 0;
  for (size_t k = 0; k < x.size(); ++k) {
    if (bitsOf(y[k]) != bitsOf(std::erf(x[k]))) {
      if (bad < 5) ADD_FAILURE() << "erf(" << std::hexfloat << x[k] << ")";
      ++bad;
    }
  }
  return bad;
}

// Where the check at load refused the vector erf (another C library), the
// engine calls the library's erf alone and there is nothing to compare.
#define SKIP_UNLESS_VECTOR_ERF_IN_USE()                                        \
  if (!vectorErfMatchesLibrary())                                              \
  GTEST_SKIP() << "this C library's erf is not the one the vectors copy; the " \
                  "loops call it directly"

TEST(VectorErf, ReportsThePathTaken) {
  std::printf("erf in the echo loops: %s\n", vectorErfMatchesLibrary()
                                                 ? "vector erf (equal to the C library's)"
                                                 : "the C library's erf, call by call");
#if defined(__GLIBC__) && (defined(__x86_64__) || defined(__i386__) || defined(__aarch64__))
  EXPECT_TRUE(vectorErfMatchesLibrary()) << "glibc's erf is the one the vectors copy";
#endif
}

TEST(VectorErf, BranchEdgesAndSpecialValues) {
  SKIP_UNLESS_VECTOR_ERF_IN_USE();
  std::vector<double> x(8192);
  x.resize(static_cast<size_t>(erfCheckArguments(x.data(), static_cast<int32_t>(x.size()))));
  EXPECT_GT(x.size(), 3000u);
  // 4096 neighbours on each side of each edge, both signs.
  for (double edge : {0x1p-1015, 0x1p-28, 0.84375, 1.25}) {
    double up = edge, down = edge;
    for (int i = 0; i < 4096; ++i) {
      up = std::nextafter(up, 2.0);
      down = std::nextafter(down, 0.0);
      for (double v : {up, down, -up, -down}) x.push_back(v);
    }
  }
  // Every binade down to the subnormals, and the largest values.
  for (int e = -1074; e < 1024; ++e) {
    for (double m : {1.0, 1.5, 1.9999999999999998}) {
      x.push_back(std::ldexp(m, e));
      x.push_back(-std::ldexp(m, e));
    }
  }
  x.push_back(-std::numeric_limits<double>::infinity());
  x.push_back(-std::numeric_limits<double>::quiet_NaN());
  for (const Width& w : widths()) {
    SCOPED_TRACE(w.name);
    EXPECT_EQ(mismatches(x, w.erf), 0);
  }
}

// Blocks of 4096 floats the sweep below compares: all of them, or two in
// every 2n where a build that runs the suite under an emulator sets
// QUILLET_ERF_SWEEP_EVERY to n.
#ifndef QUILLET_ERF_SWEEP_EVERY
#define QUILLET_ERF_SWEEP_EVERY 1
#endif

// Every float from -1.25 to 1.25, widened to double, on every width. Split
// over two threads; each compares blocks of 4096 consecutive floats, the
// library's erf worked out once per float for all widths.
TEST(VectorErf, EveryFloatUpTo1_25) {
  SKIP_UNLESS_VECTOR_ERF_IN_USE();
  const uint32_t last = 0x3fa00000u;  // 1.25f
  const std::vector<Width> all = widths();
  std::vector<long> bad(2 * all.size(), 0);
  const auto sweep = [&](uint32_t part) {
    std::vector<double> x(4096), expected(4096), y(4096);
    for (uint32_t start = part * 4096u; start <= last;
         start += 2 * 4096u * QUILLET_ERF_SWEEP_EVERY) {
      for (uint32_t sign : {0u, 0x80000000u}) {
        for (uint32_t k = 0; k < 4096u; ++k) {
          const uint32_t b = (start + k <= last ? start + k : last) | sign;
          float f;
          std::memcpy(&f, &b, sizeof f);
          x[k] = f;
          expected[k] = std::erf(x[k]);
        }
        for (size_t w = 0; w < all.size(); ++w) {
          all[w].erf(x.data(), y.data(), 4096);
          for (uint32_t k = 0; k < 4096u; ++k) {
            if (bitsOf(y[k]) != bitsOf(expected[k])) ++bad[2 * w + part];
          }
        }
      }
    }
  };
  std::thread other(sweep, 1u);
  sweep(0u);
  other.join();
  for (size_t w = 0; w < all.size(); ++w) {
    EXPECT_EQ(bad[2 * w] + bad[2 * w + 1], 0) << all[w].name;
  }
}

// Lanes the vectors keep and lanes they hand to the library, in every
// arrangement within four, over lengths that leave a two- and one-lane tail;
// once into another array and once in place.
TEST(VectorErf, MixedLanesOddLengthsAndInPlace) {
  SKIP_UNLESS_VECTOR_ERF_IN_USE();
  const double kept[] = {0.3, -0.9, 1e-20, -1e-310};
  const double handed[] = {1.7, -3.5, std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  for (const Width& w : widths()) {
    SCOPED_TRACE(w.name);
    for (int32_t n = 0; n <= 19; ++n) {
      for (int pattern = 0; pattern < 16; ++pattern) {
        std::vector<double> x(static_cast<size_t>(n) + 1, 0.5), y(x.size(), 7.0);
        for (int32_t k = 0; k < n; ++k) {
          x[k] = (pattern >> (k % 4)) & 1 ? handed[k % 4] : kept[k % 4];
        }
        std::vector<double> inPlace = x;
        w.erf(x.data(), y.data(), n);
        w.erf(inPlace.data(), inPlace.data(), n);
        for (int32_t k = 0; k < n; ++k) {
          EXPECT_EQ(bitsOf(y[k]), bitsOf(std::erf(x[k]))) << "n " << n << " k " << k;
          EXPECT_EQ(bitsOf(inPlace[k]), bitsOf(y[k])) << "n " << n << " k " << k;
        }
        EXPECT_EQ(y[n], 7.0) << "written past the end, n " << n;
        EXPECT_EQ(inPlace[n], 0.5) << "written past the end, n " << n;
      }
    }
  }
}

}  // namespace
