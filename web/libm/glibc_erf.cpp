// erf for the web edition, with the bits of the erf the native builds get
// from Debian 12's glibc on x86-64, so that the echo in the browser gives the
// plug-ins' samples. The WebAssembly C library (musl) has another erf: it
// differs in the last bit on about 1 % of the arguments below 1.25 (it
// evaluates the same polynomials in another order) and its exp, which erf
// calls beyond 1.25, on about 0.08 % of them (glibc's x86-64 build runs an
// exp compiled with fused multiply-adds on every processor that has them).
//
// This file defines erf for the whole module, in the library's place:
//  - below |x| = 1.25, the engine's own copy of glibc's sequence of
//    operations (engine/vector_erf_lanes.h), on one lane;
//  - from 1.25 to 6, glibc's erfc tail 1 - exp(-x*x - 0.5625 + R/S) / x,
//    its rational functions in glibc's order of operations, with exp as
//    glibc's x86-64 build with FMA computes it: the same algorithm and table
//    as musl's (the C library's own table, __exp_data), with each product
//    fused into the sum it feeds where that build fuses it;
//  - beyond 6, +-(1 - tiny), as both libraries give.
// web/tests/render_check.mjs holds it to the native library on a sweep of
// arguments and through whole renders.
#include <cstdint>
#include <cstring>

using V2 = double __attribute__((vector_size(16)));
using M2 = decltype(V2{} < V2{});

namespace {

inline bool anyLane(M2 m) { return (m[0] | m[1]) != 0; }

}  // namespace

#include "engine/vector_erf_lanes.h"

// musl's table for exp: the layout of its struct exp_data.
extern "C" const struct MuslExpData {
  double invln2N, shift, negln2hiN, negln2loN;
  double poly[4];
  double exp2Shift;
  double exp2Poly[5];
  uint64_t tab[2 * 128];
} __exp_data;

extern "C" double exp(double x);

namespace {

double asDouble(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

uint64_t asBits(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

inline double fused(double a, double b, double c) { return __builtin_fma(a, b, c); }

// exp(x) for 2^-54 <= |x| < 512 as glibc's x86-64 FMA build computes it;
// the library's exp elsewhere (erf never asks there).
double glibcExp(double x) {
  const uint32_t top = (asBits(x) >> 52) & 0x7ff;
  constexpr uint32_t kTopTiny = 0x3c9, kTop512 = 0x408;
  if (top - kTopTiny >= kTop512 - kTopTiny) return exp(x);
  const MuslExpData& d = __exp_data;
  double kd = fused(d.invln2N, x, d.shift);
  const uint64_t ki = asBits(kd);
  kd -= d.shift;
  const double r = fused(kd, d.negln2loN, fused(kd, d.negln2hiN, x));
  const uint64_t idx = 2 * (ki % 128);
  const double tail = asDouble(d.tab[idx]);
  const double scale = asDouble(d.tab[idx + 1] + (ki << 45));
  const double r2 = r * r;
  const double tmp = fused(r2 * r2, fused(r, d.poly[3], d.poly[2]),
                           fused(r2, fused(r, d.poly[1], d.poly[0]), tail + r));
  return fused(scale, tmp, scale);
}

constexpr double kRa[] = {-9.86494403484714822705e-03, -6.93858572707181764372e-01,
                          -1.05586262253232909814e+01, -6.23753324503260060396e+01,
                          -1.62396669462573470355e+02, -1.84605092906711035994e+02,
                          -8.12874355063065934246e+01, -9.81432934416914548592e+00};
constexpr double kSa[] = {0.0,
                          1.96512716674392571292e+01,
                          1.37657754143519042600e+02,
                          4.34565877475229228821e+02,
                          6.45387271733267880336e+02,
                          4.29008140027567833386e+02,
                          1.08635005541779435134e+02,
                          6.57024977031928170135e+00,
                          -6.04244152148580987438e-02};
constexpr double kRb[] = {-9.86494292470009928597e-03, -7.99283237680523006574e-01,
                          -1.77579549177547519889e+01, -1.60636384855821916062e+02,
                          -6.37566443368389627722e+02, -1.02509513161107724954e+03,
                          -4.83519191608651397019e+02};
constexpr double kSb[] = {0.0,
                          3.03380607434824582924e+01,
                          3.25792512996573918826e+02,
                          1.53672958608443695994e+03,
                          3.19985821950859553908e+03,
                          2.55305040643316442583e+03,
                          4.74528541206955367215e+02,
                          -2.24409524465858183362e+01};

// 1.25 <= |x| < 6.
double erfTail(double x) {
  const bool negative = x < 0.0;
  const double a = negative ? -x : x;
  const double s = 1.0 / (a * a);
  const double s2 = s * s, s4 = s2 * s2, s6 = s4 * s2;
  double r, q;
  if (a < 0x1.6db6ep+1) {  // 1 / 0.35, as the library's high word bound
    const double s8 = s4 * s4;
    r = (kRa[0] + s * kRa[1]) + s2 * (kRa[2] + s * kRa[3]) + s4 * (kRa[4] + s * kRa[5]) +
        s6 * (kRa[6] + s * kRa[7]);
    q = (1.0 + s * kSa[1]) + s2 * (kSa[2] + s * kSa[3]) + s4 * (kSa[4] + s * kSa[5]) +
        s6 * (kSa[6] + s * kSa[7]) + s8 * kSa[8];
  } else {
    r = (kRb[0] + s * kRb[1]) + s2 * (kRb[2] + s * kRb[3]) + s4 * (kRb[4] + s * kRb[5]) +
        s6 * kRb[6];
    q = (1.0 + s * kSb[1]) + s2 * (kSb[2] + s * kSb[3]) + s4 * (kSb[4] + s * kSb[5]) +
        s6 * (kSb[6] + s * kSb[7]);
  }
  const double z = asDouble(asBits(a) & 0xffffffff00000000ull);
  const double e = glibcExp(-z * z - 0.5625) * glibcExp((z - a) * (z + a) + r / q);
  return negative ? e / a - 1.0 : 1.0 - e / a;
}

}  // namespace

extern "C" double erf(double x) {
  const double a = __builtin_fabs(x);
  if (!(a >= 1.25)) {  // NaN too: the lanes give NaN for NaN
    M2 beyond;
    const V2 lanes = quillet::engine::erfLanes(V2{x, x}, beyond);
    if (a == a) return lanes[0];
    return x + x;
  }
  if (a < 6.0) return erfTail(x);
  constexpr double kTiny = 1e-300;
  if (a == __builtin_inf()) return x > 0.0 ? 1.0 : -1.0;
  return x > 0.0 ? 1.0 - kTiny : kTiny - 1.0;
}
