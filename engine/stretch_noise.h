// The faint noise added to every sample of a stretched delay line: a linear
// congruential generator mapped to a uniform value of at most 2.5e-5.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t nextNoiseState(uint32_t s) { return s * 196314165u + 907633515u; }

// The top 23 bits of the state become the mantissa of a float in [2, 4),
// shifted and scaled to [-0.5, 0.5) in single precision, then to ±2.5e-5.
inline double stretchNoise(uint32_t s) {
  const uint32_t bits = (s >> 9) | 0x40000000u;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  const float centred = (value - 3.0f) * 0.5f;
  return static_cast<double>(centred) * 5e-5;
}
