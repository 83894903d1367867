// The panel's gestures as a host collects them, through the plug-in's panel
// host: a host that leaves the queue uncollected until it is full still sees
// every begin closed by its end, per parameter, and no value outside a
// gesture that reached it; what it missed it is told to read again.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "clap/clap_panel_host.h"
#include "clap/quillet_plugin.h"
#include "core/panel_host.h"
#include "core/param_table.h"

namespace {

using quillet::clap::ClapPanelHost;
using quillet::clap::QuilletPlugin;

// The third note key.
constexpr int32_t kQuarterNote = quillet::core::kTagWholeNote + 2;

// A host offering clap.params (so the plug-in can ask for flushes and
// rescans), counting what it is asked, and an output list that keeps what it
// is given.
class GestureHost {
 public:
  GestureHost() {
    host_.clap_version = {1, 2, 0};
    host_.host_data = this;
    host_.name = "gesture tests";
    host_.vendor = host_.url = "";
    host_.version = "1";
    host_.get_extension = [](const clap_host_t* h, const char* id) -> const void* {
      auto* self = static_cast<GestureHost*>(h->host_data);
      return std::strcmp(id, CLAP_EXT_PARAMS) == 0 ? &self->params_ : nullptr;
    };
    host_.request_restart = host_.request_process =
        host_.request_callback = [](const clap_host_t*) {};
  }
  const clap_host_t* host() const { return &host_; }

  struct Event {
    uint16_t type;
    clap_id id;
  };
  std::vector<Event> events;
  int valueRescans = 0;
  clap_output_events_t out{
      this, [](const clap_output_events_t* l, const clap_event_header_t* e) {
        const auto* p = reinterpret_cast<const clap_event_param_value_t*>(e);
        static_cast<GestureHost*>(l->ctx)->events.push_back({e->type, p->param_id});
        return true;
      }};

 private:
  static GestureHost& of(const clap_host_t* h) { return *static_cast<GestureHost*>(h->host_data); }
  clap_host_t host_{};
  clap_host_params_t params_ = {
      [](const clap_host_t* h, clap_param_rescan_flags flags) {
        if (flags & CLAP_PARAM_RESCAN_VALUES) ++of(h).valueRescans;
      },
      [](const clap_host_t*, clap_id, clap_param_clear_flags) {},
      [](const clap_host_t*) {},
  };
};

// What the host learnt, checked per parameter: every begin is ended before
// the next, every value falls inside a gesture, nothing is left open.
void expectEveryGestureClosed(const std::vector<GestureHost::Event>& events) {
  std::map<clap_id, bool> open;
  std::map<clap_id, int> begins, ends;
  for (size_t i = 0; i < events.size(); ++i) {
    const GestureHost::Event& e = events[i];
    if (e.type == CLAP_EVENT_PARAM_GESTURE_BEGIN) {
      EXPECT_FALSE(open[e.id]) << "a second begin for " << e.id << " at " << i;
      open[e.id] = true;
      ++begins[e.id];
    } else if (e.type == CLAP_EVENT_PARAM_GESTURE_END) {
      EXPECT_TRUE(open[e.id]) << "an end without a begin for " << e.id << " at " << i;
      open[e.id] = false;
      ++ends[e.id];
    } else {
      EXPECT_TRUE(open[e.id]) << "a value outside its gesture for " << e.id << " at " << i;
    }
  }
  for (const auto& [id, count] : begins) EXPECT_EQ(ends[id], count) << "parameter " << id;
}

// A knob drag of `values` steps, or a note key (which sets "Delay" and
// "Range" in one gesture).
void drag(ClapPanelHost& panel, int32_t tag, int values) {
  panel.beginGesture(tag);
  for (int v = 0; v < values; ++v) {
    if (tag < quillet::core::kNumQuilletParams) {
      panel.performEdit(tag, static_cast<float>(v % 100) / 100.0f);
    } else {
      panel.performEdit(quillet::engine::kParamDelay, 0.25f);
      panel.performEdit(quillet::engine::kParamRange, 0.5f);
    }
  }
  panel.endGesture(tag);
}

TEST(ClapPanelGestures, AHostThatCollectsOnlyWhenTheQueueIsFullSeesEveryGestureClosed) {
  // Drags of different lengths put the queue's last free slot under every
  // kind of record: begins of knobs and of note keys, values, ends.
  for (int firstValues = 1; firstValues < 40; ++firstValues) {
    SCOPED_TRACE(firstValues);
    GestureHost host;
    auto* plugin = new QuilletPlugin(host.host());
    ASSERT_TRUE(plugin->clapPlugin()->init(plugin->clapPlugin()));
    ClapPanelHost panel(*plugin);
    for (int round = 0; round < 3; ++round) {
      for (int d = 0; d < 30; ++d) {
        const int32_t tag = d % 3 == 2 ? kQuarterNote : d % 2;
        drag(panel, tag, firstValues + 3 * d);
      }
      // Uncollected until full: no room is left for values.
      EXPECT_GE(plugin->gestures().size(), quillet::clap::GestureQueue::kCapacity -
                                               quillet::clap::GestureQueue::kKeptForGestures);
      plugin->gestures().drainTo(&host.out);
    }
    expectEveryGestureClosed(host.events);
    // Values were dropped: the host is told to read them again.
    EXPECT_GT(host.valueRescans, 0);
    plugin->clapPlugin()->destroy(plugin->clapPlugin());
  }
}

TEST(ClapPanelGestures, AGestureThatFitsIsSentWholeAndNeedsNoRescan) {
  GestureHost host;
  auto* plugin = new QuilletPlugin(host.host());
  ASSERT_TRUE(plugin->clapPlugin()->init(plugin->clapPlugin()));
  ClapPanelHost panel(*plugin);
  drag(panel, kQuarterNote, 2);
  plugin->gestures().drainTo(&host.out);
  const clap_id delay = quillet::engine::kParamDelay, range = quillet::engine::kParamRange;
  const std::vector<std::pair<uint16_t, clap_id>> expected = {
      {CLAP_EVENT_PARAM_GESTURE_BEGIN, delay}, {CLAP_EVENT_PARAM_GESTURE_BEGIN, range},
      {CLAP_EVENT_PARAM_VALUE, delay},         {CLAP_EVENT_PARAM_VALUE, range},
      {CLAP_EVENT_PARAM_VALUE, delay},         {CLAP_EVENT_PARAM_VALUE, range},
      {CLAP_EVENT_PARAM_GESTURE_END, range},   {CLAP_EVENT_PARAM_GESTURE_END, delay}};
  ASSERT_EQ(host.events.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(host.events[i].type, expected[i].first) << i;
    EXPECT_EQ(host.events[i].id, expected[i].second) << i;
  }
  EXPECT_EQ(host.valueRescans, 0);
  plugin->clapPlugin()->destroy(plugin->clapPlugin());
}

}  // namespace
