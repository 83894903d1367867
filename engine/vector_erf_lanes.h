// erf on every lane of a GCC vector of doubles, by the C library's own
// operations: glibc's erf (the dbl-64 code Debian 12 ships) evaluates each of
// its branches below |x| = 1.25 as a fixed sequence of double additions,
// multiplications and one division, with no table and no exp. The same
// operations in the same order on each lane give the same bits. Lanes at or
// beyond 1.25 and NaNs are reported in `library` for the caller to hand to
// the library's erf.
//
// How each a + b * c of the source is formed depends on how the library was
// compiled: glibc's x86-64 build rounds the product and then the sum
// (SeparateMulAdd, the default); its aarch64 build fuses every such term into
// one multiply-add (the NEON file passes a fused policy). The compiler itself
// must never contract: the files are built without FMA or with
// -ffp-contract=off.
//
// Included by one file per vector width, after that file has chosen its
// instruction set and defined anyLane(Mask).
#pragma once

#include <cstdint>

namespace quillet::engine {

namespace {

// The library's coefficients, as it declares them.
constexpr double kEfx = 1.28379167095512586316e-01;
constexpr double kErx = 8.45062911510467529297e-01;
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

// The library branches on the upper 32 bits of |x|; each bound it tests has
// a zero lower half, so comparing |x| with the bound as a double is the same
// test (and false for NaN).
constexpr double kSmallBound = 0.84375;        // 0x3feb0000
constexpr double kMiddleBound = 1.25;          // 0x3ff40000
constexpr double kTinyBound = 0x1p-28;         // 0x3e300000
constexpr double kUnderflowBound = 0x1p-1015;  // 0x00800000

constexpr int64_t kSignBit = INT64_MIN;

template <typename V>
using MaskOf = decltype(V{} < V{});

// a + b * c with the product rounded before the sum.
struct SeparateMulAdd {
  template <typename A, typename B, typename C>
  static inline __attribute__((always_inline)) auto apply(A a, B b, C c) {
    return a + b * c;
  }
};

template <typename MulAdd = SeparateMulAdd, typename V>
inline __attribute__((always_inline)) V erfLanes(V x, MaskOf<V>& library) {
  const auto madd = [](auto a, auto b, auto c) -> V { return MulAdd::apply(a, b, c); };
  using Mask = MaskOf<V>;
  const Mask bits = reinterpret_cast<Mask>(x);
  const V ax = reinterpret_cast<V>(bits & ~kSignBit);
  const Mask small = ax < kSmallBound;
  const Mask belowMiddle = ax < kMiddleBound;
  library = ~belowMiddle;

  // |x| < 0.84375: x + x * r / s.
  const V z = x * x;
  const V r1 = madd(kPp0, z, kPp1);
  const V z2 = z * z;
  const V r2 = madd(kPp2, z, kPp3);
  const V z4 = z2 * z2;
  const V s1 = madd(1.0, z, kQq1);
  const V s2 = madd(kQq2, z, kQq3);
  const V s3 = madd(kQq4, z, kQq5);
  V numerator = madd(madd(r1, z2, r2), z4, kPp4);
  V denominator = madd(madd(s1, z2, s2), z4, s3);

  // 0.84375 <= |x| < 1.25: sign(x) * (erx + P / Q) with s = |x| - 1. The
  // library's -erx - P / Q is the negation of erx + P / Q to the bit.
  const Mask middle = belowMiddle & ~small;
  const bool anyMiddle = anyLane(middle);
  if (anyMiddle) {
    const V s = ax - 1.0;
    const V p1 = madd(kPa0, s, kPa1);
    const V sq2 = s * s;
    const V q1 = madd(1.0, s, kQa1);
    const V sq4 = sq2 * sq2;
    const V p2 = madd(kPa2, s, kPa3);
    const V sq6 = sq4 * sq2;
    const V q2 = madd(kQa2, s, kQa3);
    const V p3 = madd(kPa4, s, kPa5);
    const V q3 = madd(kQa4, s, kQa5);
    const V p = madd(madd(madd(p1, sq2, p2), sq4, p3), sq6, kPa6);
    const V q = madd(madd(madd(q1, sq2, q2), sq4, q3), sq6, kQa6);
    numerator = small ? numerator : p;
    denominator = small ? denominator : q;
  }
  const V y = numerator / denominator;  // one division serves both branches
  V result = madd(x, x, y);
  if (anyMiddle) {
    const V magnitude = kErx + y;
    const V signed_ = reinterpret_cast<V>(reinterpret_cast<Mask>(magnitude) | (bits & kSignBit));
    result = small ? result : signed_;
  }

  // |x| < 2^-28: x + efx * x, scaled by 16 below 2^-1015 so that it does not
  // underflow on the way.
  const Mask tiny = ax < kTinyBound;
  if (anyLane(tiny)) {
    const V linear = madd(x, kEfx, x);
    const V scaled = 0.0625 * (16.0 * x + (16.0 * kEfx) * x);
    result = tiny ? (ax < kUnderflowBound ? scaled : linear) : result;
  }
  return result;
}

}  // namespace

}  // namespace quillet::engine
