// A long render through every path of the engine, pinned by a checksum of the
// output bits. Any rewrite of the loop for speed must keep these sums: the
// numbers are meant to hold to the last bit. (The sums depend on the C
// library's erf, tan, sin, cos and exp; they are those of glibc on x86-64.
// glibc's aarch64 build rounds erf differently on a few percent of the
// arguments, which changes the 64-bit outputs' last bits but none of the
// 32-bit ones here; with glibc's x86-64 erf linked in (QUILLET_X86_ERF, the
// arm64 tests) an aarch64 build gives the x86-64 sums.)
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engine_test_support.h"

using namespace quillet::engine;

namespace {

using quillet::test::prepare;

uint64_t mix(uint64_t hash, const void* data, size_t bytes) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < bytes; ++i) hash = (hash ^ p[i]) * 1099511628211ull;  // FNV-1a
  return hash;
}

template <typename Sample>
uint64_t renderChecksum() {
  EchoEngine engine;
  EchoParams p;
  prepare(engine, 48000.0f, p);
  std::mt19937 gen(2024);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<Sample> inL(2048), inR(2048), outL(2048), outR(2048);
  uint64_t hash = 14695981039346656037ull;
  for (int block = 0; block < 400; ++block) {
    const int32_t frames = 64 + static_cast<int32_t>(unit(gen) * 1984.0f);
    for (int32_t i = 0; i < frames; ++i) {
      inL[i] = static_cast<Sample>(unit(gen) - 0.5f);
      inR[i] = static_cast<Sample>(block % 50 == 7 && i == 3 ? 0.9f : unit(gen) - 0.5f);
    }
    if (block % 5 == 0) {  // one control moves (glides, stretches, switches)
      int index = static_cast<int>(unit(gen) * kEchoParamCount) % kEchoParamCount;
      if (index == kParamMute) index = kParamRepeat;
      p[index] = unit(gen);
      engine.parameterChanged(index, p);
    }
    if (block == 100 || block == 112) {  // a mute with its fade and clearing
      p[kParamMute] = block == 100 ? 1.0f : 0.0f;
      engine.parameterChanged(kParamMute, p);
    }
    const Sample* ins[2] = {inL.data(), inR.data()};
    Sample* outs[2] = {outL.data(), outR.data()};
    engine.process(p, block >= 300 && block < 330, ins, outs, frames);
    hash = mix(hash, outL.data(), sizeof(Sample) * frames);
    hash = mix(hash, outR.data(), sizeof(Sample) * frames);
  }
  return hash;
}

#if defined(__aarch64__) && !defined(QUILLET_X86_ERF)
constexpr uint64_t kDoublePrecisionSum = 10439806389653623001u;
#else
constexpr uint64_t kDoublePrecisionSum = 8741461811937465091u;
#endif

TEST(RenderChecksum, DoublePrecision) { EXPECT_EQ(renderChecksum<double>(), kDoublePrecisionSum); }
TEST(RenderChecksum, SinglePrecision) { EXPECT_EQ(renderChecksum<float>(), 5973978983473529312u); }

}  // namespace
