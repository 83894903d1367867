// The store queue between any number of storing threads and the audio thread.
// Run under ThreadSanitizer too (build-tsan), where a missing ordering fails.
#include "core/param_change_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace quillet::core {
namespace {

TEST(ParamChangeQueue, KeepsOrderAndTellsWhenFull) {
  ParamChangeQueue queue;
  ParamChangeQueue::Change change{};
  EXPECT_FALSE(queue.pop(change));
  for (uint32_t i = 0; i < ParamChangeQueue::kCapacity; ++i)
    ASSERT_TRUE(queue.push(static_cast<int32_t>(i % 11), static_cast<float>(i)));
  EXPECT_FALSE(queue.push(3, 0.5f)) << "full: the store is refused, nothing is overwritten";
  for (uint32_t i = 0; i < ParamChangeQueue::kCapacity; ++i) {
    ASSERT_TRUE(queue.pop(change));
    EXPECT_EQ(change.index, static_cast<int32_t>(i % 11));
    EXPECT_EQ(change.value, static_cast<float>(i));
  }
  EXPECT_FALSE(queue.pop(change));
  // Round and round: positions wrap, order holds.
  for (int lap = 0; lap < 5000; ++lap) {
    ASSERT_TRUE(queue.push(lap % 11, static_cast<float>(lap)));
    ASSERT_TRUE(queue.push(10, -1.0f));
    ASSERT_TRUE(queue.pop(change));
    EXPECT_EQ(change.value, static_cast<float>(lap));
    ASSERT_TRUE(queue.pop(change));
    EXPECT_EQ(change.index, 10);
  }
}

// Three producers, one consumer: nothing lost, nothing twice, and each
// producer's stores arrive in the order it made them.
TEST(ParamChangeQueue, ManyProducersOneConsumer) {
  constexpr int kProducers = 3;
  constexpr int kEach = 20000;
  ParamChangeQueue queue;
  std::atomic<int> done{0};
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&queue, &done, p] {
      for (int n = 0; n < kEach; ++n) {
        // A full queue refuses; this test keeps every store, so it tries again.
        while (!queue.push(p, static_cast<float>(n))) std::this_thread::yield();
      }
      done.fetch_add(1);
    });
  }
  int next[kProducers] = {};
  int received = 0;
  ParamChangeQueue::Change change{};
  while (received < kProducers * kEach) {
    if (!queue.pop(change)) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_GE(change.index, 0);
    ASSERT_LT(change.index, kProducers);
    ASSERT_EQ(change.value, static_cast<float>(next[change.index])) << change.index;
    ++next[change.index];
    ++received;
  }
  for (std::thread& t : producers) t.join();
  EXPECT_EQ(done.load(), kProducers);
  EXPECT_FALSE(queue.pop(change));
}

}  // namespace
}  // namespace quillet::core
