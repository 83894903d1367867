// The panel's gestures on their way to the host: order, event shapes, a host
// that refuses events, a full queue, and a writer and reader on two threads.
#include "clap/gesture_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using quillet::clap::GestureQueue;

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
  const clap_id id = 3;
  ASSERT_TRUE(queue.beginGesture(&id, 1));
  ASSERT_TRUE(queue.pushValue(id, 2));
  ASSERT_TRUE(queue.endGesture(&id, 1));
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
  for (int i = 0; i < 5; ++i) queue.pushValue(0, i * 0.1);
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
  while (queue.pushValue(0, 0.5)) ++values;
  EXPECT_EQ(values, GestureQueue::kCapacity - GestureQueue::kKeptForGestures);
  // The kept slots take whole gestures: a begin with room for its end.
  uint32_t gestures = 0;
  for (clap_id id = 0; id < 11; ++id) {
    if (!queue.beginGesture(&id, 1)) break;
    ++gestures;
  }
  EXPECT_EQ(gestures, GestureQueue::kKeptForGestures / 2);
  for (clap_id id = 0; id < gestures; ++id) EXPECT_TRUE(queue.endGesture(&id, 1));
  EXPECT_EQ(queue.size(), GestureQueue::kCapacity);
  HostOutput host;
  EXPECT_EQ(queue.drainTo(&host.list), GestureQueue::kCapacity);
  EXPECT_TRUE(queue.pushValue(0, 0.5));
}

TEST(ClapGestureQueue, ABeginComesInOnlyWithRoomForTheEndsOfEveryOpenGesture) {
  GestureQueue queue;
  while (queue.pushValue(9, 0.5)) {
  }
  // 16 free: a note key's two begins keep two ends, leaving 12.
  const clap_id note[2] = {0, 3};
  const clap_id noteEnds[2] = {3, 0};
  ASSERT_TRUE(queue.beginGesture(note, 2));
  // Six single gestures (12 slots with their ends) stay open beside it.
  for (clap_id id = 4; id < 10; ++id) EXPECT_TRUE(queue.beginGesture(&id, 1)) << id;
  // Every free slot is some gesture's end now: no begin, no value.
  const clap_id last = 10;
  EXPECT_FALSE(queue.beginGesture(&last, 1));
  EXPECT_FALSE(queue.pushValue(last, 0.5));
  EXPECT_FALSE(queue.endGesture(&last, 1));  // the refused gesture sends no end
  // A parameter already in a gesture does not begin another.
  EXPECT_FALSE(queue.beginGesture(&note[0], 1));
  EXPECT_FALSE(queue.endGesture(&note[0], 1));
  for (clap_id id = 4; id < 10; ++id) EXPECT_TRUE(queue.endGesture(&id, 1)) << id;
  EXPECT_TRUE(queue.endGesture(noteEnds, 2));
  EXPECT_EQ(queue.size(), GestureQueue::kCapacity);
  EXPECT_TRUE(queue.takeHostMissedValues());
  EXPECT_FALSE(queue.takeHostMissedValues());

  HostOutput host;
  queue.drainTo(&host.list);
  int begins[11] = {}, ends[11] = {};
  for (const clap_event_param_value_t& e : host.values) {
    if (e.header.type == CLAP_EVENT_PARAM_GESTURE_BEGIN) ++begins[e.param_id];
    if (e.header.type == CLAP_EVENT_PARAM_GESTURE_END) ++ends[e.param_id];
    if (e.header.type == CLAP_EVENT_PARAM_VALUE) {
      EXPECT_EQ(e.param_id, 9u);
    }
  }
  for (int id = 0; id < 11; ++id) {
    EXPECT_EQ(begins[id], ends[id]) << id;
    EXPECT_EQ(begins[id], id == 0 || (id >= 3 && id < 10) ? 1 : 0) << id;
  }
}

TEST(ClapGestureQueue, AGestureThatLostAValueTellsTheHostWhenItEnds) {
  GestureQueue queue;
  const clap_id id = 2;
  ASSERT_TRUE(queue.beginGesture(&id, 1));
  while (queue.pushValue(id, 0.5)) {
  }
  EXPECT_FALSE(queue.takeHostMissedValues());  // not before the gesture ends
  EXPECT_FALSE(queue.endGesture(&id, 1));      // its end is sent, but values were lost
  EXPECT_TRUE(queue.takeHostMissedValues());
  HostOutput host;
  queue.drainTo(&host.list);
  EXPECT_EQ(host.values.back().header.type, CLAP_EVENT_PARAM_GESTURE_END);
  // A value dropped outside any gesture is told at once.
  while (queue.pushValue(5, 0.5)) {
  }
  EXPECT_TRUE(queue.takeHostMissedValues());
}

TEST(ClapGestureQueue, AWriterAndAReaderOnTwoThreadsLoseAndReorderNothing) {
  // The panel's thread writes gestures while the audio thread drains them.
  constexpr int kGestures = 20000;
  GestureQueue queue;
  std::atomic<bool> done{false};
  std::thread panel([&] {
    for (int g = 0; g < kGestures; ++g) {
      const clap_id id = static_cast<clap_id>(g % 11);
      while (!queue.beginGesture(&id, 1)) {
        queue.endGesture(&id, 1);  // closes the refused try
        std::this_thread::yield();
      }
      while (!queue.pushValue(id, static_cast<double>(g))) std::this_thread::yield();
      queue.endGesture(&id, 1);
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
