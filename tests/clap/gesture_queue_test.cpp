// The panel's gestures on their way to the host: order, event shapes, a host
// that refuses events, a full queue, and a writer and reader on two threads.
#include "clap/gesture_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using quillet_clap::GestureQueue;
using quillet_clap::GestureRecord;

// An output list that keeps copies and can refuse from some event on.
struct HostOutput {
  std::vector<clap_event_param_value_t> values;  // gestures copied into the same shape
  size_t acceptLimit = SIZE_MAX;
  clap_output_events_t list{this, [](const clap_output_events_t* l, const clap_event_header_t* e) {
                              auto* self = static_cast<HostOutput*>(l->ctx);
                              if (self->values.size() >= self->acceptLimit) return false;
                              clap_event_param_value_t copy{};
                              std::memcpy(&copy, e, e->size);
                              self->values.push_back(copy);
                              return true;
                            }};
};

TEST(ClapGestureQueue, HandsOutBeginValueEndInOrderAsLiveEvents) {
  GestureQueue queue;
  ASSERT_TRUE(queue.push({GestureRecord::kBegin, 3, 0}));
  ASSERT_TRUE(queue.push({GestureRecord::kValue, 3, 2}));
  ASSERT_TRUE(queue.push({GestureRecord::kEnd, 3, 0}));
  HostOutput host;
  EXPECT_EQ(queue.drainTo(&host.list), 3u);
  ASSERT_EQ(host.values.size(), 3u);
  const uint16_t types[3] = {CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                             CLAP_EVENT_PARAM_GESTURE_END};
  const uint32_t sizes[3] = {20, 56, 20};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(host.values[i].header.type, types[i]);
    EXPECT_EQ(host.values[i].header.size, sizes[i]);
    EXPECT_EQ(host.values[i].header.space_id, CLAP_CORE_EVENT_SPACE_ID);
    EXPECT_EQ(host.values[i].header.time, 0u);
    EXPECT_EQ(host.values[i].header.flags, static_cast<uint32_t>(CLAP_EVENT_IS_LIVE));
    EXPECT_EQ(host.values[i].param_id, 3u);
  }
  EXPECT_EQ(host.values[1].value, 2.0);
  EXPECT_EQ(host.values[1].note_id, -1);
  EXPECT_EQ(host.values[1].key, -1);
  EXPECT_EQ(queue.drainTo(&host.list), 0u);
  EXPECT_EQ(queue.drainTo(nullptr), 0u);
}

TEST(ClapGestureQueue, KeepsWhatTheHostRefusesForTheNextCall) {
  GestureQueue queue;
  for (int i = 0; i < 5; ++i) queue.push({GestureRecord::kValue, 0, i * 0.1});
  HostOutput host;
  host.acceptLimit = 2;
  EXPECT_EQ(queue.drainTo(&host.list), 2u);
  EXPECT_EQ(queue.size(), 3u);
  host.acceptLimit = SIZE_MAX;
  EXPECT_EQ(queue.drainTo(&host.list), 3u);
  ASSERT_EQ(host.values.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(host.values[i].value, i * 0.1);
}

TEST(ClapGestureQueue, AFullQueueStillTakesBeginsAndEnds) {
  GestureQueue queue;
  uint32_t values = 0;
  while (queue.push({GestureRecord::kValue, 0, 0.5})) ++values;
  EXPECT_EQ(values, GestureQueue::kCapacity - GestureQueue::kReservedForBeginsAndEnds);
  uint32_t ends = 0;
  while (queue.push({GestureRecord::kEnd, 0, 0})) ++ends;
  EXPECT_EQ(ends, GestureQueue::kReservedForBeginsAndEnds);
  HostOutput host;
  EXPECT_EQ(queue.drainTo(&host.list), GestureQueue::kCapacity);
  EXPECT_TRUE(queue.push({GestureRecord::kValue, 0, 0.5}));
}

TEST(ClapGestureQueue, AWriterAndAReaderOnTwoThreadsLoseAndReorderNothing) {
  // The panel's thread writes gestures while the audio thread drains them.
  constexpr int kGestures = 20000;
  GestureQueue queue;
  std::atomic<bool> done{false};
  std::thread panel([&] {
    for (int g = 0; g < kGestures; ++g) {
      const clap_id id = static_cast<clap_id>(g % 11);
      const GestureRecord records[3] = {{GestureRecord::kBegin, id, 0},
                                        {GestureRecord::kValue, id, static_cast<double>(g)},
                                        {GestureRecord::kEnd, id, 0}};
      for (const GestureRecord& r : records) {
        while (!queue.push(r)) std::this_thread::yield();
      }
    }
    done.store(true);
  });
  HostOutput host;
  while (!done.load() || queue.size() > 0) {
    if (queue.drainTo(&host.list) == 0) std::this_thread::yield();
  }
  panel.join();
  ASSERT_EQ(host.values.size(), 3u * kGestures);
  for (int g = 0; g < kGestures; ++g) {
    const clap_event_param_value_t* e = &host.values[3 * g];
    ASSERT_EQ(e[0].header.type, CLAP_EVENT_PARAM_GESTURE_BEGIN) << g;
    ASSERT_EQ(e[1].header.type, CLAP_EVENT_PARAM_VALUE) << g;
    ASSERT_EQ(e[1].value, static_cast<double>(g));
    ASSERT_EQ(e[2].header.type, CLAP_EVENT_PARAM_GESTURE_END) << g;
    ASSERT_EQ(e[2].param_id, static_cast<clap_id>(g % 11));
  }
}

}  // namespace
