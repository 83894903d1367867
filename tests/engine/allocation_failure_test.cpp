// Delay memory that cannot be had: the engine passes audio through and stays
// usable. This binary replaces the nothrow array allocation to fail on demand.
#include <gtest/gtest.h>

#include <new>

#include "engine/echo_engine_probe.h"
#include "engine_test_support.h"

using namespace quillet::engine;

namespace {

// Large allocations (the two delay lines and the stretch's two scratch
// arrays, about 10 KB each at 44.1 and 48 kHz) still allowed before one
// fails; -1: none fails.
int largeAllocationsBeforeFailure = -1;
constexpr std::size_t kLarge = 8 * 1024;

}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (size >= kLarge && largeAllocationsBeforeFailure >= 0) {
    if (largeAllocationsBeforeFailure == 0) return nullptr;
    --largeAllocationsBeforeFailure;
  }
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

namespace {

using quillet::test::echoOnly;
using quillet::test::prepare;
using quillet::test::render;
using quillet::test::Stereo;

Stereo<float> ramp(size_t frames) {
  Stereo<float> s(frames);
  for (size_t i = 0; i < frames; ++i) {
    s.left[i] = 0.001f * static_cast<float>(i);
    s.right[i] = -0.002f * static_cast<float>(i);
  }
  return s;
}

class AllocationFailure : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { largeAllocationsBeforeFailure = -1; }
};

TEST_P(AllocationFailure, PassesThroughAndRecoversAtTheNextRate) {
  EchoEngine engine;
  EchoParams p = echoOnly();
  p[kParamRepeat] = 0.8f;
  prepare(engine, 44100.0f, p);
  ASSERT_TRUE(engine.hasDelayMemory());

  largeAllocationsBeforeFailure = GetParam();  // fail the first, second, ... array
  prepare(engine, 48000.0f, p);
  largeAllocationsBeforeFailure = -1;
  EXPECT_FALSE(engine.hasDelayMemory());
  EXPECT_EQ(probe(engine).scratchR, nullptr);
  EXPECT_EQ(engine.capacity(), 0);
  EXPECT_EQ(probe(engine).delayLength, 0);

  const auto in = ramp(3000);
  const auto out = render(engine, p, in);
  EXPECT_EQ(out.left, in.left);
  EXPECT_EQ(out.right, in.right);
  p[kParamMute] = 1.0f;
  engine.parameterChanged(kParamMute, p);  // no memory to clear: must not crash
  engine.resizeDelayLines(p);

  p[kParamMute] = 0.0f;
  prepare(engine, 48000.0f, p);
  EXPECT_TRUE(engine.hasDelayMemory());
  EXPECT_EQ(engine.capacity(), 124800);
}

INSTANTIATE_TEST_SUITE_P(EachArray, AllocationFailure, ::testing::Values(0, 1, 2, 3));

}  // namespace
