// The parameter store against a reaction and a listener that record what
// reached them: clamping, the order of reactions, races between storing
// threads, a flood beyond the queue, and stores from many threads at once.
#include "core/param_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

namespace quillet::core {

struct ParamStoreTestAccess {
  // What a second thread's store does between landing and reaching the queue.
  static void storeWithoutQueueing(ParamStore& store, int32_t index, float value) {
    store.stored[index].store(value, std::memory_order_relaxed);
  }
};

namespace {

using Event = std::pair<int32_t, float>;

struct Recorder : ParamReaction, ParamListener {
  void parameterTaken(int32_t index, const engine::EchoParams& taken) override {
    reactions.push_back({index, taken[index]});
  }
  void parameterStored(int32_t index, float value) override { heard.push_back({index, value}); }
  std::vector<Event> reactions;
  std::vector<Event> heard;
};

class ParamStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store.setListener(&recorder); }
  void block() { store.applyPending(recorder); }
  ParamStore store;
  Recorder recorder;
};

TEST_F(ParamStoreTest, StartsOnTheTableDefaults) {
  for (int32_t i = 0; i < kNumQuilletParams; ++i) {
    EXPECT_EQ(store.value(i), kQuilletParams[i].defaultValue) << i;
    EXPECT_EQ(store.taken()[i], kQuilletParams[i].defaultValue) << i;
  }
  EXPECT_EQ(store.value(engine::kParamDry), 1.0f);
  EXPECT_EQ(store.value(engine::kParamKnobDust), 1.0f);
  EXPECT_EQ(store.value(engine::kParamRange), 0.5f);
  EXPECT_EQ(store.value(engine::kParamPan), 0.5f);
  block();
  EXPECT_TRUE(recorder.reactions.empty()) << "the defaults are what the engine has";
}

TEST_F(ParamStoreTest, StoreClampsTellsListenerAtOnceAndReactionAtTheNextBlock) {
  EXPECT_TRUE(store.store(engine::kParamRepeat, 1.5f));
  EXPECT_EQ(store.value(engine::kParamRepeat), 1.0f);
  EXPECT_TRUE(store.store(engine::kParamRepeat, -0.2f));
  EXPECT_EQ(store.value(engine::kParamRepeat), 0.0f);
  EXPECT_EQ(recorder.heard, (std::vector<Event>{{1, 1.0f}, {1, 0.0f}}));
  EXPECT_TRUE(recorder.reactions.empty());
  EXPECT_EQ(store.taken()[engine::kParamRepeat], 0.0f) << "taken in only at the block";
  block();
  // Each store's reaction, in order, with the value that store made.
  EXPECT_EQ(recorder.reactions, (std::vector<Event>{{1, 1.0f}, {1, 0.0f}}));
  block();
  EXPECT_EQ(recorder.reactions.size(), 2u) << "a reaction runs once";
}

TEST_F(ParamStoreTest, NanAndIndicesOutsideTheTableChangeNothing) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_FALSE(store.store(engine::kParamDelay, std::numeric_limits<float>::quiet_NaN()));
  EXPECT_FALSE(store.store(-1, 0.5f));
  EXPECT_FALSE(store.store(kNumQuilletParams, 0.5f));
  EXPECT_EQ(store.value(kNumQuilletParams), 0.0f);
  EXPECT_EQ(store.value(-1), 0.0f);
  EXPECT_TRUE(recorder.heard.empty());
  EXPECT_TRUE(store.store(engine::kParamLevel, inf));
  EXPECT_TRUE(store.store(engine::kParamDelay, -inf));
  EXPECT_EQ(store.value(engine::kParamLevel), 1.0f);
  EXPECT_EQ(store.value(engine::kParamDelay), 0.0f);
  block();
  EXPECT_EQ(recorder.reactions, (std::vector<Event>{{2, 1.0f}, {0, 0.0f}}));
}

TEST_F(ParamStoreTest, EngineFollowsTheStoredValueWhenStoresRaceEachOther) {
  // Two threads store "Delay" at once: the stored value keeps 0.7, the queue
  // ends with 0.3.
  ParamStoreTestAccess::storeWithoutQueueing(store, engine::kParamDelay, 0.7f);
  store.store(engine::kParamDelay, 0.3f);
  ParamStoreTestAccess::storeWithoutQueueing(store, engine::kParamDelay, 0.7f);
  block();
  EXPECT_EQ(recorder.reactions, (std::vector<Event>{{0, 0.3f}, {0, 0.7f}}));
  EXPECT_EQ(store.value(engine::kParamDelay), 0.7f);
  EXPECT_EQ(store.taken()[engine::kParamDelay], 0.7f);
  block();
  EXPECT_EQ(recorder.reactions.size(), 2u);
}

TEST_F(ParamStoreTest, StoresBeyondTheQueueEndOnTheLastValueAndKeepASwitchOn) {
  // A host loading presets while suspended: far more stores than the queue
  // holds before the next block.
  const uint32_t stores = 3 * ParamChangeQueue::kCapacity;
  for (uint32_t i = 0; i < stores; ++i) store.store(i % 2, (i % 5) / 4.0f);
  store.store(engine::kParamMute, 1.0f);  // the switch turned on, then off, after the queue is full
  store.store(engine::kParamMute, 0.0f);
  store.store(engine::kParamPingPong, 1.0f);  // a selector is no switch: no replay
  store.store(engine::kParamPingPong, 0.0f);
  store.store(engine::kParamDelay, 0.125f);
  block();
  // The queued ones in order, then each lost parameter once with its last
  // value, in index order; the lost switch-on is replayed before its final value.
  const size_t queued = ParamChangeQueue::kCapacity;
  ASSERT_EQ(recorder.reactions.size(), queued + 5);
  for (size_t i = 0; i < queued; ++i)
    EXPECT_EQ(recorder.reactions[i], Event(static_cast<int32_t>(i % 2), (i % 5) / 4.0f)) << i;
  EXPECT_EQ(
      std::vector<Event>(recorder.reactions.begin() + queued, recorder.reactions.end()),
      (std::vector<Event>{
          {0, 0.125f}, {1, store.value(engine::kParamRepeat)}, {4, 1.0f}, {4, 0.0f}, {10, 0.0f}}));
  // Nothing is left over, and the queue takes stores again.
  recorder.reactions.clear();
  block();
  EXPECT_TRUE(recorder.reactions.empty());
  store.store(engine::kParamRepeat, 0.5f);
  block();
  EXPECT_EQ(recorder.reactions, (std::vector<Event>{{1, 0.5f}}));
}

// Three storing threads and an audio thread taking the stores in: when all
// is done the engine's values are the stored ones and every reaction saw a
// value some thread stored. Under ThreadSanitizer, a missing ordering fails.
TEST(ParamStoreThreads, StoresFromManyThreadsEndWhereTheStoreIs) {
  ParamStore store;
  struct Checker : ParamReaction {
    void parameterTaken(int32_t index, const engine::EchoParams& taken) override {
      if (!(taken[index] >= 0.0f && taken[index] <= 1.0f)) bad = true;
      ++count;
    }
    bool bad = false;
    long count = 0;
  } checker;
  std::atomic<int> running{3};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&store, &running, t] {
      for (int n = 0; n < 20000; ++n) store.store((n + t) % kNumQuilletParams, (n % 101) / 100.0f);
      running.fetch_sub(1);
    });
  }
  while (running.load() > 0) store.applyPending(checker);
  for (std::thread& t : threads) t.join();
  store.applyPending(checker);
  EXPECT_FALSE(checker.bad);
  EXPECT_GT(checker.count, 0);
  for (int32_t i = 0; i < kNumQuilletParams; ++i) EXPECT_EQ(store.taken()[i], store.value(i)) << i;
}

}  // namespace
}  // namespace quillet::core
