// The vector erf in NEON on aarch64: the operations of vector_erf_lanes.h,
// lane by lane in the same order (every a + b * c of the library's source
// one fused multiply-add, as glibc's aarch64 build computes it), so each
// lane gives the bits of the portable pairs and of the C library.
//
// What it does differently is the shape of the loop, which is what costs on
// a small ARM core: four lanes (two registers) a step, so that each test of
// a branch serves four arguments; the coefficients held in registers for
// the whole array, which needs a loop without calls, so lanes the vectors do
// not cover (|x| of 1.25 or more, NaN) leave the loop holding their argument
// and get the library's erf in a second pass that only runs when there were
// any (a covered lane's result is always below 1.25 in magnitude, so the
// second pass knows them again).
#include "engine/vector_erf.h"

#if defined(QUILLET_NEON_ENGINE)

#include <arm_neon.h>

#include <algorithm>
#include <cmath>

namespace quillet::engine {

namespace {

using F = float64x2_t;
using M = uint64x2_t;

// The library's coefficients (vector_erf_lanes.h has them with their names),
// in one table of pairs: a coefficient added to a product fills both lanes;
// one that multiplies shares a register with another and is taken from its
// lane (a fused multiply-add by element rounds as one by a full register).
// A table read from one base costs one load a coefficient when registers
// run short, where a constant of its own costs two.
enum : int {
  kPp0,
  kPp2,
  kOne,
  kQq2,
  kQq4,  // added, in both lanes
  kPp1Pp3,
  kQq1Qq3,
  kQq5Pp4,  // multiplying, by lane
  kPa0,
  kPa2,
  kQa2,
  kPa4,
  kQa4,
  kErx,  // the middle branch's, added
  kPa1Qa1,
  kPa3Qa3,
  kPa5Qa5,
  kPa6Qa6,  // and multiplying, by lane
  kTable
};
alignas(16) constexpr double kCoefficients[kTable][2] = {
    {1.28379167095512558561e-01, 1.28379167095512558561e-01},    // pp0
    {-2.84817495755985104766e-02, -2.84817495755985104766e-02},  // pp2
    {1.0, 1.0},
    {6.50222499887672944485e-02, 6.50222499887672944485e-02},    // qq2
    {1.32494738004321644526e-04, 1.32494738004321644526e-04},    // qq4
    {-3.25042107247001499370e-01, -5.77027029648944159157e-03},  // pp1, pp3
    {3.97917223959155352819e-01, 5.08130628187576562776e-03},    // qq1, qq3
    {-3.96022827877536812320e-06, -2.37630166566501626084e-05},  // qq5, pp4
    {-2.36211856075265944077e-03, -2.36211856075265944077e-03},  // pa0
    {-3.72207876035701323847e-01, -3.72207876035701323847e-01},  // pa2
    {5.40397917702171048937e-01, 5.40397917702171048937e-01},    // qa2
    {-1.10894694282396677476e-01, -1.10894694282396677476e-01},  // pa4
    {1.26171219808761642112e-01, 1.26171219808761642112e-01},    // qa4
    {8.45062911510467529297e-01, 8.45062911510467529297e-01},    // erx
    {4.14856118683748331666e-01, 1.06420880400844228286e-01},    // pa1, qa1
    {3.18346619901161753674e-01, 7.18286544141962662868e-02},    // pa3, qa3
    {3.54783043256182359371e-02, 1.36370839120290507362e-02},    // pa5, qa5
    {-2.16637559486879084300e-03, 1.19844998467991074170e-02},   // pa6, qa6
};
constexpr double kEfx = 1.28379167095512586316e-01;

// The table through a pointer the compiler cannot see through: a pair read
// from it stays a load (one instruction) instead of becoming a constant of
// its own (two), and a multiplying pair stays whole for its lanes.
struct Table {
  const double* base;
  Table() : base(&kCoefficients[0][0]) { asm("" : "+r"(base)); }
  F operator()(int i) const { return vld1q_f64(base + 2 * i); }
};
inline F dup(double v) { return vdupq_n_f64(v); }
// a + b * c, rounded once; c from a register, or from lane L of one.
inline F madd(F a, F b, F c) { return vfmaq_f64(a, b, c); }
template <int kLane>
inline F maddLane(F a, F b, F pair) {
  return vfmaq_laneq_f64(a, b, pair, kLane);
}
inline bool anyLane(M m) { return vmaxvq_u32(vreinterpretq_u32_u64(m)) != 0; }

// One register's lanes as far as the branch tests: what the small branch
// needs, and which lanes take which branch.
struct Lanes {
  F x, ax, numerator, denominator;
  M small, middle, library, tiny;
};

// |x| < 0.84375: x + x * r / s, r and s as the library forms them.
inline __attribute__((always_inline)) Lanes smallBranch(F x, const Table& coefficient) {
  Lanes l;
  l.x = x;
  l.ax = vabsq_f64(x);
  l.small = vcltq_f64(l.ax, dup(0.84375));
  const M belowMiddle = vcltq_f64(l.ax, dup(1.25));
  l.library = vreinterpretq_u64_u32(vmvnq_u32(vreinterpretq_u32_u64(belowMiddle)));
  l.middle = vbicq_u64(belowMiddle, l.small);
  l.tiny = vcltq_f64(l.ax, dup(0x1p-28));
  const F z = vmulq_f64(x, x);
  const F r1 = maddLane<0>(coefficient(kPp0), z, coefficient(kPp1Pp3));
  const F z2 = vmulq_f64(z, z);
  const F r2 = maddLane<1>(coefficient(kPp2), z, coefficient(kPp1Pp3));
  const F z4 = vmulq_f64(z2, z2);
  const F s1 = maddLane<0>(coefficient(kOne), z, coefficient(kQq1Qq3));
  const F s2 = maddLane<1>(coefficient(kQq2), z, coefficient(kQq1Qq3));
  const F s3 = maddLane<0>(coefficient(kQq4), z, coefficient(kQq5Pp4));
  l.numerator = maddLane<1>(madd(r1, z2, r2), z4, coefficient(kQq5Pp4));
  l.denominator = madd(madd(s1, z2, s2), z4, s3);
  return l;
}

// 0.84375 <= |x| < 1.25: sign(x) * (erx + P / Q) with s = |x| - 1, taking
// over the lanes of the middle branch.
inline __attribute__((always_inline)) void middleBranch(Lanes& l, const Table& coefficient) {
  const F s = vsubq_f64(l.ax, coefficient(kOne));
  const F p1 = maddLane<0>(coefficient(kPa0), s, coefficient(kPa1Qa1));
  const F sq2 = vmulq_f64(s, s);
  const F q1 = maddLane<1>(coefficient(kOne), s, coefficient(kPa1Qa1));
  const F sq4 = vmulq_f64(sq2, sq2);
  const F p2 = maddLane<0>(coefficient(kPa2), s, coefficient(kPa3Qa3));
  const F sq6 = vmulq_f64(sq4, sq2);
  const F q2 = maddLane<1>(coefficient(kQa2), s, coefficient(kPa3Qa3));
  const F p3 = maddLane<0>(coefficient(kPa4), s, coefficient(kPa5Qa5));
  const F q3 = maddLane<1>(coefficient(kQa4), s, coefficient(kPa5Qa5));
  const F p = maddLane<0>(madd(madd(p1, sq2, p2), sq4, p3), sq6, coefficient(kPa6Qa6));
  const F q = maddLane<1>(madd(madd(q1, sq2, q2), sq4, q3), sq6, coefficient(kPa6Qa6));
  l.numerator = vbslq_f64(l.small, l.numerator, p);
  l.denominator = vbslq_f64(l.small, l.denominator, q);
}

// The result of every lane: the library's lanes keep their argument.
inline __attribute__((always_inline)) F finish(const Lanes& l, bool anyMiddle, bool anyTiny,
                                               const Table& coefficient) {
  const F y = vdivq_f64(l.numerator, l.denominator);
  F result = madd(l.x, l.x, y);
  if (anyMiddle) {
    const M sign = vandq_u64(vreinterpretq_u64_f64(l.x), vdupq_n_u64(0x8000000000000000ull));
    const F magnitude = vaddq_f64(coefficient(kErx), y);
    const F signedMagnitude =
        vreinterpretq_f64_u64(vorrq_u64(vreinterpretq_u64_f64(magnitude), sign));
    result = vbslq_f64(l.small, result, signedMagnitude);
  }
  if (anyTiny) {
    // |x| < 2^-28: x + efx * x, scaled by 16 below 2^-1015 so that it does
    // not underflow on the way.
    const M underflowing = vcltq_f64(l.ax, dup(0x1p-1015));
    const F linear = madd(l.x, dup(kEfx), l.x);
    const F scaled = vmulq_f64(
        dup(0.0625), vaddq_f64(vmulq_f64(dup(16.0), l.x), vmulq_f64(dup(16.0 * kEfx), l.x)));
    result = vbslq_f64(l.tiny, vbslq_f64(underflowing, scaled, linear), result);
  }
  return vbslq_f64(l.library, l.x, result);
}

// The groups of four lanes whose lanes the library is to take: their first
// index, as many as there is room for; beyond that the second pass looks at
// every lane.
struct HandedOver {
  static constexpr int32_t kRoom = 64;
  int32_t first[kRoom];
  int32_t count = 0;
  bool everyLane = false;
  void note(int32_t k) {
    if (count < kRoom)
      first[count++] = k;
    else
      everyLane = true;
  }
};

// Lanes the vectors left to the library hold their argument still, where a
// covered lane's result is always below 1.25 in magnitude.
inline void libraryLanes(double* y, int32_t from, int32_t to) {
  for (int32_t j = from; j < to; ++j)
    if (!(std::fabs(y[j]) < 1.25)) y[j] = std::erf(y[j]);
}

}  // namespace

void erfArrayNeon(const double* x, double* y, int32_t n) {
  const Table t;
  HandedOver handed;
  int32_t k = 0;
  for (; k + 4 <= n; k += 4) {
    Lanes a = smallBranch(vld1q_f64(x + k), t);
    Lanes b = smallBranch(vld1q_f64(x + k + 2), t);
    // Every lane in the small branch and none tiny (false when one is NaN):
    // one test for the four lanes.
    const double largest = vmaxvq_f64(vmaxq_f64(a.ax, b.ax));
    const double smallest = vminvq_f64(vminq_f64(a.ax, b.ax));
    if (largest < 0.84375 && smallest >= 0x1p-28) {
      vst1q_f64(y + k, madd(a.x, a.x, vdivq_f64(a.numerator, a.denominator)));
      vst1q_f64(y + k + 2, madd(b.x, b.x, vdivq_f64(b.numerator, b.denominator)));
      continue;
    }
    const bool anyMiddle = anyLane(vorrq_u64(a.middle, b.middle));
    if (anyMiddle) {
      middleBranch(a, t);
      middleBranch(b, t);
    }
    const bool anyTiny = anyLane(vorrq_u64(a.tiny, b.tiny));
    if (anyLane(vorrq_u64(a.library, b.library))) handed.note(k);
    const F ra = finish(a, anyMiddle, anyTiny, t);
    const F rb = finish(b, anyMiddle, anyTiny, t);
    vst1q_f64(y + k, ra);
    vst1q_f64(y + k + 2, rb);
  }
  for (; k + 2 <= n; k += 2) {
    Lanes a = smallBranch(vld1q_f64(x + k), t);
    const bool anyMiddle = anyLane(a.middle);
    if (anyMiddle) middleBranch(a, t);
    if (anyLane(a.library)) handed.note(k);
    vst1q_f64(y + k, finish(a, anyMiddle, anyLane(a.tiny), t));
  }
  const int32_t paired = k;
  for (; k < n; ++k) y[k] = std::erf(x[k]);
  if (handed.everyLane) {
    libraryLanes(y, 0, paired);
  } else {
    for (int32_t g = 0; g < handed.count; ++g)
      libraryLanes(y, handed.first[g], std::min(handed.first[g] + 4, paired));
  }
}

}  // namespace quillet::engine

#endif
