// The faint noise added to every sample of a stretched delay line: a linear
// congruential generator mapped to a uniform value of at most 2.5e-5.
#pragma once

#include <cstdint>
#include <cstring>

namespace quillet::engine {

constexpr uint32_t kNoiseMul = 196314165u;
constexpr uint32_t kNoiseAdd = 907633515u;

inline uint32_t nextNoiseState(uint32_t s) { return s * kNoiseMul + kNoiseAdd; }

// The generator advanced by some number of steps at once: s -> mul * s + add.
struct NoiseJump {
  uint32_t mul;
  uint32_t add;
};

// first, then second.
constexpr NoiseJump composeJumps(NoiseJump first, NoiseJump second) {
  return {second.mul * first.mul, second.mul * first.add + second.add};
}

constexpr NoiseJump noiseJump(int32_t count) {
  NoiseJump j{1u, 0u};
  NoiseJump power{kNoiseMul, kNoiseAdd};
  for (; count > 0; count >>= 1) {
    if (count & 1) j = composeJumps(j, power);
    power = composeJumps(power, power);
  }
  return j;
}

// The jump undone: the multiplier is odd, so invertible mod 2^32.
constexpr NoiseJump jumpBack(NoiseJump j) {
  uint32_t inv = j.mul;  // correct to 3 bits; each round doubles that
  for (int round = 0; round < 5; ++round) inv *= 2u - j.mul * inv;
  return {inv, 0u - inv * j.add};
}

// The jump of a group of eight frames (two states each), and its undoing.
constexpr NoiseJump kGroupJump = noiseJump(16);
constexpr NoiseJump kGroupBack = jumpBack(kGroupJump);
static_assert(composeJumps(kGroupJump, kGroupBack).mul == 1u &&
                  composeJumps(kGroupJump, kGroupBack).add == 0u,
              "stepping back undoes stepping on");

// The states of eight frames' left and right samples from state s on (frame
// j's left is s stepped 2j + 1 times, its right 2j + 2), each advanced
// further by `then`, stored at lane[j] of left and right.
template <typename Lane>
inline void eightFrameStates(uint32_t s, NoiseJump then, const int* lane, Lane* left, Lane* right) {
  for (int j = 0; j < 8; ++j) {
    s = nextNoiseState(s);
    left[lane[j]] = s * then.mul + then.add;
    s = nextNoiseState(s);
    right[lane[j]] = s * then.mul + then.add;
  }
}
constexpr int kFrameOrder[8] = {0, 1, 2, 3, 4, 5, 6, 7};

// The top 23 bits of the state become the mantissa of a float in [2, 4),
// shifted and scaled to [-0.5, 0.5) in single precision, then to ±2.5e-5.
inline double stretchNoise(uint32_t s) {
  const uint32_t bits = (s >> 9) | 0x40000000u;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  const float centred = (value - 3.0f) * 0.5f;
  return static_cast<double>(centred) * 5e-5;
}

}  // namespace quillet::engine
