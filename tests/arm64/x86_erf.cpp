// glibc's erf as its x86-64 build computes it, for a program built for
// another processor: the dbl-64 algorithm with every product rounded before
// the sum it enters (this file is compiled with -ffp-contract=off, as the
// engine is), and exp from the running C library. glibc's aarch64 build fuses
// those products and sums, so its erf differs in the last place on a few
// percent of the arguments; with this erf in its place an aarch64 build of
// the echo gives the x86-64 build's samples.
//
// glibcX86Erf is the function itself. With QUILLET_REPLACE_ERF it is also
// exported as erf: linked into a test program it replaces the C library's
// erf there; built as a shared library, it is preloaded (LD_PRELOAD) into
// quillet-host.
#include "tests/arm64/x86_erf.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr double kTiny = 1e-300;
constexpr double kErx = 8.45062911510467529297e-01;
constexpr double kEfx = 1.28379167095512586316e-01;
constexpr double kEfx16 = 2.05406667352820138106e+00;  // 16 * kEfx, as the library keeps it
// |x| < 0.84375
constexpr double kPp0 = 1.28379167095512558561e-01;
constexpr double kPp1 = -3.25042107247001499370e-01;
constexpr double kPp2 = -2.84817495755985104766e-02;
constexpr double kPp3 = -5.77027029648944159157e-03;
constexpr double kPp4 = -2.37630166566501626084e-05;
constexpr double kQq1 = 3.97917223959155352819e-01;
constexpr double kQq2 = 6.50222499887672944485e-02;
constexpr double kQq3 = 5.08130628187576562776e-03;
constexpr double kQq4 = 1.32494738004321644526e-04;
constexpr double kQq5 = -3.96022827877536812320e-06;
// 0.84375 <= |x| < 1.25
constexpr double kPa0 = -2.36211856075265944077e-03;
constexpr double kPa1 = 4.14856118683748331666e-01;
constexpr double kPa2 = -3.72207876035701323847e-01;
constexpr double kPa3 = 3.18346619901161753674e-01;
constexpr double kPa4 = -1.10894694282396677476e-01;
constexpr double kPa5 = 3.54783043256182359371e-02;
constexpr double kPa6 = -2.16637559486879084300e-03;
constexpr double kQa1 = 1.06420880400844228286e-01;
constexpr double kQa2 = 5.40397917702171048937e-01;
constexpr double kQa3 = 7.18286544141962662868e-02;
constexpr double kQa4 = 1.26171219808761642112e-01;
constexpr double kQa5 = 1.36370839120290507362e-02;
constexpr double kQa6 = 1.19844998467991074170e-02;
// 1.25 <= |x| < 1 / 0.35
constexpr double kRa0 = -9.86494403484714822705e-03;
constexpr double kRa1 = -6.93858572707181764372e-01;
constexpr double kRa2 = -1.05586262253232909814e+01;
constexpr double kRa3 = -6.23753324503260060396e+01;
constexpr double kRa4 = -1.62396669462573470355e+02;
constexpr double kRa5 = -1.84605092906711035994e+02;
constexpr double kRa6 = -8.12874355063065934246e+01;
constexpr double kRa7 = -9.81432934416914548592e+00;
constexpr double kSa1 = 1.96512716674392571292e+01;
constexpr double kSa2 = 1.37657754143519042600e+02;
constexpr double kSa3 = 4.34565877475229228821e+02;
constexpr double kSa4 = 6.45387271733267880336e+02;
constexpr double kSa5 = 4.29008140027567833386e+02;
constexpr double kSa6 = 1.08635005541779435134e+02;
constexpr double kSa7 = 6.57024977031928170135e+00;
constexpr double kSa8 = -6.04244152148580987438e-02;
// 1 / 0.35 <= |x| < 6
constexpr double kRb0 = -9.86494292470009928597e-03;
constexpr double kRb1 = -7.99283237680523006574e-01;
constexpr double kRb2 = -1.77579549177547519889e+01;
constexpr double kRb3 = -1.60636384855821916062e+02;
constexpr double kRb4 = -6.37566443368389627722e+02;
constexpr double kRb5 = -1.02509513161107724954e+03;
constexpr double kRb6 = -4.83519191608651397019e+02;
constexpr double kSb1 = 3.03380607434824582924e+01;
constexpr double kSb2 = 3.25792512996573918826e+02;
constexpr double kSb3 = 1.53672958608443695994e+03;
constexpr double kSb4 = 3.19985821950859553908e+03;
constexpr double kSb5 = 2.55305040643316442583e+03;
constexpr double kSb6 = 4.74528541206955367215e+02;
constexpr double kSb7 = -2.24409524465858183362e+01;

uint32_t highWord(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return static_cast<uint32_t>(bits >> 32);
}

double withLowWordZero(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits &= 0xffffffff00000000ull;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

}  // namespace

double glibcX86Erf(double x) {
  const uint32_t hx = highWord(x);
  const uint32_t ix = hx & 0x7fffffffu;
  const bool negative = (hx >> 31) != 0;
  if (ix >= 0x7ff00000u) return (negative ? -1.0 : 1.0) + 1.0 / x;  // NaN, +-1 at +-inf

  if (ix < 0x3feb0000u) {    // |x| < 0.84375
    if (ix < 0x3e300000u) {  // |x| < 2^-28
      if (ix < 0x00800000u) return 0.0625 * (16.0 * x + kEfx16 * x);
      return x + kEfx * x;
    }
    const double z = x * x;
    const double r1 = kPp0 + z * kPp1;
    const double z2 = z * z;
    const double r2 = kPp2 + z * kPp3;
    const double z4 = z2 * z2;
    const double s1 = 1.0 + z * kQq1;
    const double s2 = kQq2 + z * kQq3;
    const double s3 = kQq4 + z * kQq5;
    const double r = r1 + z2 * r2 + z4 * kPp4;
    const double s = s1 + z2 * s2 + z4 * s3;
    const double y = r / s;
    return x + x * y;
  }
  if (ix < 0x3ff40000u) {  // 0.84375 <= |x| < 1.25
    const double s = std::fabs(x) - 1.0;
    const double p1 = kPa0 + s * kPa1;
    const double s2 = s * s;
    const double q1 = 1.0 + s * kQa1;
    const double s4 = s2 * s2;
    const double p2 = kPa2 + s * kPa3;
    const double s6 = s4 * s2;
    const double q2 = kQa2 + s * kQa3;
    const double p3 = kPa4 + s * kPa5;
    const double q3 = kQa4 + s * kQa5;
    const double p = p1 + s2 * p2 + s4 * p3 + s6 * kPa6;
    const double q = q1 + s2 * q2 + s4 * q3 + s6 * kQa6;
    return negative ? -kErx - p / q : kErx + p / q;
  }
  if (ix >= 0x40180000u) return negative ? kTiny - 1.0 : 1.0 - kTiny;  // |x| >= 6

  const double ax = std::fabs(x);
  const double s = 1.0 / (ax * ax);
  double r, q;
  if (ix < 0x4006db6eu) {  // |x| < 1 / 0.35
    const double r1 = kRa0 + s * kRa1;
    const double s2 = s * s;
    const double q1 = 1.0 + s * kSa1;
    const double s4 = s2 * s2;
    const double r2 = kRa2 + s * kRa3;
    const double s6 = s4 * s2;
    const double q2 = kSa2 + s * kSa3;
    const double s8 = s4 * s4;
    const double r3 = kRa4 + s * kRa5;
    const double q3 = kSa4 + s * kSa5;
    const double r4 = kRa6 + s * kRa7;
    const double q4 = kSa6 + s * kSa7;
    r = r1 + s2 * r2 + s4 * r3 + s6 * r4;
    q = q1 + s2 * q2 + s4 * q3 + s6 * q4 + s8 * kSa8;
  } else {
    const double r1 = kRb0 + s * kRb1;
    const double s2 = s * s;
    const double q1 = 1.0 + s * kSb1;
    const double s4 = s2 * s2;
    const double r2 = kRb2 + s * kRb3;
    const double s6 = s4 * s2;
    const double q2 = kSb2 + s * kSb3;
    const double r3 = kRb4 + s * kRb5;
    const double q3 = kSb4 + s * kSb5;
    const double q4 = kSb6 + s * kSb7;
    r = r1 + s2 * r2 + s4 * r3 + s6 * kRb6;
    q = q1 + s2 * q2 + s4 * q3 + s6 * q4;
  }
  const double z = withLowWordZero(ax);
  const double e = std::exp(-z * z - 0.5625) * std::exp((z - ax) * (z + ax) + r / q);
  return negative ? e / ax - 1.0 : 1.0 - e / ax;
}

#ifdef QUILLET_REPLACE_ERF
extern "C" __attribute__((visibility("default"))) double erf(double x) { return glibcX86Erf(x); }
#endif
