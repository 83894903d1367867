// Parameter events and processing: a flush stores its events in time order
// (parameter order among events at one time); whatever a host sends that the
// plug-in cannot use is skipped without harm. How a block's events sound at
// their frames is in clap_render_equality_test.cpp.
#include <cmath>
#include <vector>

#include "clap/param_events.h"
#include "core/param_table.h"
#include "tests/clap/clap_test_host.h"

namespace {

using quillet::clap::ParamEventBatch;
using quillet::test::EventList;
using quillet::test::Instance;
using quillet::test::TestHost;

// A core that records the stores a batch makes, in order.
class RecordingCore : private quillet::core::ParamListener {
 public:
  RecordingCore() { core.setListener(this); }
  ~RecordingCore() { core.setListener(nullptr); }
  quillet::core::EchoCore core;
  std::vector<std::pair<int, float>> stores;

 private:
  void parameterStored(int32_t index, float value) override { stores.emplace_back(index, value); }
};

TEST(ClapParamEvents, StoreEveryValueInTimeOrder) {
  EventList events;
  events.value(0, quillet::engine::kParamPingPong, 2);
  events.value(0, quillet::engine::kParamDelay, 0.1);
  events.value(64, quillet::engine::kParamDelay, 0.7);
  events.value(10, quillet::engine::kParamDelay, 0.4);  // out of order: earlier than the 0.7
  events.value(3, quillet::engine::kParamRange, 1.9);   // stepped: truncated to the middle position
  events.value(5, quillet::engine::kParamMute, 0.5);    // stepped: off
  events.value(7, quillet::engine::kParamMute, 1);
  ParamEventBatch batch;
  batch.collect(events.list());
  RecordingCore effect;
  EXPECT_TRUE(batch.storeAll(effect.core));  // Delay and Range change the tail
  EXPECT_EQ(effect.stores,
            (std::vector<std::pair<int, float>>{{quillet::engine::kParamDelay, 0.1f},
                                                {quillet::engine::kParamPingPong, 1.0f},
                                                {quillet::engine::kParamRange, 0.5f},
                                                {quillet::engine::kParamMute, 0.0f},
                                                {quillet::engine::kParamMute, 1.0f},
                                                {quillet::engine::kParamDelay, 0.4f},
                                                {quillet::engine::kParamDelay, 0.7f}}));
  EXPECT_EQ(effect.core.parameter(quillet::engine::kParamDelay), 0.7f);  // the latest in time wins
  effect.stores.clear();
  EXPECT_FALSE(batch.storeAll(effect.core));  // each batch stores once
  EXPECT_TRUE(effect.stores.empty());

  EventList levelOnly;
  levelOnly.value(0, quillet::engine::kParamLevel, 0.5);
  batch.collect(levelOnly.list());
  EXPECT_FALSE(batch.storeAll(effect.core));  // the tail leaves Level out
}

TEST(ClapParamEvents, SkipWhatTheyCannotUse) {
  EventList events;
  events.value(0, 11, 0.5);                                         // unknown id
  events.value(0, CLAP_INVALID_ID, 0.5);                            // unknown id
  events.value(0, quillet::engine::kParamLevel, 0.5, /*space=*/1);  // another event space
  events.value(0, quillet::engine::kParamLevel, 0.5, 0,
               /*size=*/20);                                    // too small to be a value event
  events.value(0, quillet::engine::kParamLevel, std::nan(""));  // no number
  events.transport(0, 0, CLAP_TRANSPORT_HAS_TEMPO);             // no tempo
  events.transport(0, 140, CLAP_TRANSPORT_IS_PLAYING);          // tempo not flagged
  ParamEventBatch batch;
  batch.collect(events.list());
  batch.collect(nullptr);
  RecordingCore effect;
  batch.storeAll(effect.core);
  EXPECT_TRUE(effect.stores.empty());
  EXPECT_EQ(batch.takeTempo(), 0.0);

  EventList tempo;
  tempo.transport(0, 97.5, CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_IS_PLAYING);
  batch.collect(tempo.list());
  EXPECT_EQ(batch.takeTempo(), 97.5);
  EXPECT_EQ(batch.takeTempo(), 0.0);
}

// Runs one block of `frames` stereo frames through an active instance.
clap_process_status runBlock(const Instance& plugin, EventList& events, uint32_t frames,
                             bool doublePrecision = false) {
  std::vector<float> in32(2 * (frames + 1), 0.25f), out32(2 * (frames + 1));
  std::vector<double> in64(2 * (frames + 1), 0.25), out64(2 * (frames + 1));
  float* in32Channels[2] = {in32.data(), in32.data() + frames + 1};
  float* out32Channels[2] = {out32.data(), out32.data() + frames + 1};
  double* in64Channels[2] = {in64.data(), in64.data() + frames + 1};
  double* out64Channels[2] = {out64.data(), out64.data() + frames + 1};
  clap_audio_buffer_t in{}, out{};
  in.channel_count = out.channel_count = 2;
  if (doublePrecision) {
    in.data64 = in64Channels;
    out.data64 = out64Channels;
  } else {
    in.data32 = in32Channels;
    out.data32 = out32Channels;
  }
  out.constant_mask = 3;
  clap_process_t process{};
  process.steady_time = -1;
  process.frames_count = frames;
  process.audio_inputs = &in;
  process.audio_outputs = &out;
  process.audio_inputs_count = process.audio_outputs_count = 1;
  process.in_events = events.list();
  const clap_process_status status = plugin.get()->process(plugin.get(), &process);
  if (frames > 0 && status != CLAP_PROCESS_ERROR) {
    EXPECT_EQ(out.constant_mask, 0u);
  }
  return status;
}

TEST(ClapProcess, TakesEventsWithEveryBlockEvenAnEmptyOne) {
  TestHost host;
  Instance plugin(host);
  EventList none;
  EXPECT_EQ(runBlock(plugin, none, 64), CLAP_PROCESS_ERROR);  // not active yet
  ASSERT_TRUE(plugin.get()->activate(plugin.get(), 48000, 1, 512));
  EXPECT_FALSE(plugin.get()->activate(plugin.get(), 44100, 1, 512));  // already active
  ASSERT_TRUE(plugin.get()->start_processing(plugin.get()));

  EventList events;
  events.value(0, quillet::engine::kParamDry, 0.2);
  events.value(0, quillet::engine::kParamRange, 0);
  EXPECT_EQ(runBlock(plugin, events, 0), CLAP_PROCESS_TAIL);
  EXPECT_EQ(plugin.value(quillet::engine::kParamDry), 0.2f);
  EXPECT_EQ(plugin.value(quillet::engine::kParamRange), 0.0);

  EventList more;
  more.value(17, quillet::engine::kParamDry, 0.6);
  EXPECT_EQ(runBlock(plugin, more, 64), CLAP_PROCESS_TAIL);
  EXPECT_EQ(runBlock(plugin, none, 1, /*doublePrecision=*/true), CLAP_PROCESS_TAIL);
  EXPECT_EQ(plugin.value(quillet::engine::kParamDry), 0.6f);

  plugin.get()->stop_processing(plugin.get());
  plugin.get()->deactivate(plugin.get());
  EXPECT_EQ(runBlock(plugin, none, 64), CLAP_PROCESS_ERROR);
}

TEST(ClapProcess, RefusesBlocksWithoutUsableBuffers) {
  TestHost host;
  Instance plugin(host);
  ASSERT_TRUE(plugin.get()->activate(plugin.get(), 44100, 1, 256));
  EventList events;
  events.value(0, quillet::engine::kParamLevel, 0.9);
  clap_process_t process{};
  process.frames_count = 32;
  process.in_events = events.list();
  EXPECT_EQ(plugin.get()->process(plugin.get(), &process), CLAP_PROCESS_ERROR);
  EXPECT_EQ(plugin.value(quillet::engine::kParamLevel), 0.9f);  // the events still count

  float samples[32] = {};
  float* one[1] = {samples};
  clap_audio_buffer_t mono{};
  mono.channel_count = 1;
  mono.data32 = one;
  process.audio_inputs = process.audio_outputs = &mono;
  process.audio_inputs_count = process.audio_outputs_count = 1;
  EXPECT_EQ(plugin.get()->process(plugin.get(), &process), CLAP_PROCESS_ERROR);
  EXPECT_EQ(plugin.get()->process(plugin.get(), nullptr), CLAP_PROCESS_ERROR);
  plugin.get()->deactivate(plugin.get());
}

}  // namespace

namespace {

// Values set before activation (a flush on the main thread): the first block
// then starts on them, without the stretch a "Delay" change makes (whose
// noise is seeded from the clock).
void activateWithEcho(const Instance& plugin) {
  EventList events;
  events.value(0, quillet::engine::kParamDelay, 0.1);  // 43 ms in the shortest range
  events.value(0, quillet::engine::kParamRange, 0);
  events.value(0, quillet::engine::kParamRepeat, 0.3);
  events.value(0, quillet::engine::kParamLevel, 0.8);
  plugin.params()->flush(plugin.get(), events.list(), nullptr);
  ASSERT_TRUE(plugin.get()->activate(plugin.get(), 48000, 1, 4800));
}

// One block of a sine burst through `plugin`, in place or into other buffers.
std::vector<float> burst(const Instance& plugin, bool inPlace) {
  constexpr uint32_t kFrames = 4800;
  std::vector<float> left(kFrames), right(kFrames), outLeft(kFrames), outRight(kFrames);
  for (uint32_t i = 0; i < 480; ++i) {
    left[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    right[i] = -left[i];
  }
  float* in[2] = {left.data(), right.data()};
  float* separate[2] = {outLeft.data(), outRight.data()};
  clap_audio_buffer_t input{}, output{};
  input.channel_count = output.channel_count = 2;
  input.data32 = in;
  output.data32 = inPlace ? in : separate;
  EventList events;
  clap_process_t process{};
  process.frames_count = kFrames;
  process.audio_inputs = &input;
  process.audio_outputs = &output;
  process.audio_inputs_count = process.audio_outputs_count = 1;
  process.in_events = events.list();
  EXPECT_EQ(plugin.get()->process(plugin.get(), &process), CLAP_PROCESS_TAIL);
  std::vector<float> out(output.data32[0], output.data32[0] + kFrames);
  out.insert(out.end(), output.data32[1], output.data32[1] + kFrames);
  return out;
}

TEST(ClapProcess, InPlaceBuffersSoundAsSeparateOnes) {
  TestHost host;
  Instance separate(host), inPlace(host);
  activateWithEcho(separate);
  activateWithEcho(inPlace);
  const std::vector<float> a = burst(separate, false), b = burst(inPlace, true);
  EXPECT_EQ(a, b);
  EXPECT_NE(a[2200], 0.0f);  // the echo is there
}

TEST(ClapActivation, RefusesRatesTheCoreDoesNotRunAndCyclesAgain) {
  TestHost host;
  Instance plugin(host);
  const clap_plugin_t* p = plugin.get();
  for (double rate : {0.0, -48000.0, 20.0, 2e6, std::nan(""), HUGE_VAL}) {
    EXPECT_FALSE(p->activate(p, rate, 1, 512)) << rate;
  }
  for (double rate : {44100.0, 8000.0, 192000.0, 48000.0}) {
    ASSERT_TRUE(p->activate(p, rate, 1, 512)) << rate;
    ASSERT_TRUE(p->start_processing(p));
    EventList none;
    EXPECT_EQ(runBlock(plugin, none, 32), CLAP_PROCESS_TAIL);
    p->reset(p);
    p->stop_processing(p);
    p->deactivate(p);
  }
}

TEST(ClapTail, IsTheCoresAndEndlessWhileTheLoopSustainsItself) {
  TestHost host;
  Instance plugin(host);
  const clap_plugin_t* p = plugin.get();
  auto* tail = plugin.ext<clap_plugin_tail_t>("clap.tail");
  EXPECT_EQ(tail->get(p), 0u);  // no rate yet
  ASSERT_TRUE(p->activate(p, 48000, 1, 512));
  EventList short_;
  short_.value(0, quillet::engine::kParamRepeat, 0.0);
  EXPECT_EQ(runBlock(plugin, short_, 16), CLAP_PROCESS_TAIL);
  const uint32_t once = tail->get(p);
  EXPECT_GT(once, 0u);
  EXPECT_LT(once, 48000u);  // one short echo and the filters' ring
  EventList sustained;
  sustained.value(0, quillet::engine::kParamRepeat, 0.6);
  runBlock(plugin, sustained, 16);
  EXPECT_GE(tail->get(p), 0x7fffffffu);  // endless, as CLAP counts it
}

}  // namespace
