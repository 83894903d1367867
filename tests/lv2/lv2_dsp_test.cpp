// The LV2 DSP library as a host sees it: descriptor, instantiate, connect,
// activate, run, cleanup; audio against the VST 2.4 library, in-place runs,
// no allocation in run, and the host's tempo reaching the host_tempo port.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "host/plugin/vst2/plugin_host.h"
#include "host/validate/allocation_trap.h"
#include "tests/lv2/lv2_test_host.h"
#include "tests/plugin/loaded_plugin.h"

namespace {

using quillet::lv2::kPortHostTempo;

std::vector<float> noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-0.5f, 0.5f);
  std::vector<float> v(n);
  for (float& x : v) x = d(rng);
  return v;
}

// The VST library under the same settings: parameters before the rate, as
// quillet-host render does, then blocks with changes stored before each block.
class VstRun {
 public:
  VstRun(double rate, const float (&values)[quillet::core::kNumQuilletParams]) {
    instance = makeInstance(QTAP_PATH);
    if (!instance) return;
    AEffect* e = instance->effect();
    for (int i = 0; i < quillet::core::kNumQuilletParams; ++i) e->setParameter(e, i, values[i]);
    instance->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    instance->dispatch(effMainsChanged, 0, 1);
  }
  void set(int index, float value) {
    instance->effect()->setParameter(instance->effect(), index, value);
  }
  void process(const float* inL, const float* inR, float* outL, float* outR, int frames) {
    float* in[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
    float* out[2] = {outL, outR};
    instance->effect()->processReplacing(instance->effect(), in, out, frames);
  }
  bool ok() const { return instance != nullptr; }

 private:
  std::unique_ptr<quillet::host::PluginInstance> instance;
};

struct Block {
  int frames;
  int param;  // stored before the block; -1 for none
  float value;
};

// Neither Delay nor Range move once running: the stretch noise follows the clock.
const Block kBlocks[] = {{512, -1, 0},
                         {64, quillet::engine::kParamRepeat, 0.7f},
                         {1, quillet::engine::kParamLevel, 0.3f},
                         {300, quillet::engine::kParamPingPong, 0.5f},
                         {512, quillet::engine::kParamXFeed, 0.9f},
                         {128, quillet::engine::kParamPingPong, 0.0f},
                         {777, quillet::engine::kParamPan, 0.1f},
                         {256, quillet::engine::kParamMonoOut, 1.0f},
                         {512, quillet::engine::kParamMute, 1.0f},
                         {512, quillet::engine::kParamMute, 0.0f},
                         {1024, quillet::engine::kParamDry, 0.2f},
                         {4096, -1, 0}};

TEST(Lv2Dsp, DescriptorNamesThePluginOnce) {
  const LV2_Descriptor* d = quilletDescriptor();
  ASSERT_NE(d, nullptr);
  EXPECT_STREQ(d->URI, "urn:marrowledge:quillet-k3");
  EXPECT_EQ(d->extension_data(LV2_URID__map), nullptr);
}

TEST(Lv2Dsp, RefusesRatesWithoutRoomForTheShortestEcho) {
  const LV2_Descriptor* d = quilletDescriptor();
  ASSERT_NE(d, nullptr);
  for (double rate : {0.0, 20.0, -48000.0, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity()})
    EXPECT_EQ(d->instantiate(d, rate, "/", nullptr), nullptr) << rate;
  // Above 1 MHz the echo takes no memory and would only pass audio through,
  // whatever "Dry" says: no instance.
  for (double rate : {1000001.0, 1.5e6, 2e6, 9.9e6, 1e7, 1e12})
    EXPECT_EQ(d->instantiate(d, rate, "/", nullptr), nullptr) << rate;
  for (double rate : {8000.0, 44100.0, 192000.0}) {
    LV2_Handle h = d->instantiate(d, rate, "/", nullptr);
    EXPECT_NE(h, nullptr) << rate;
    if (h) d->cleanup(h);
  }
}

TEST(Lv2Dsp, SoundsLikeTheVstLibrarySampleForSample) {
  for (double rate : {44100.0, 48000.0}) {
    float values[quillet::core::kNumQuilletParams];
    for (int i = 0; i < quillet::core::kNumQuilletParams; ++i)
      values[i] = quillet::core::kQuilletParams[i].defaultValue;
    values[quillet::engine::kParamDelay] = 0.3f;
    values[quillet::engine::kParamRange] = 0.0f;
    values[quillet::engine::kParamRepeat] = 0.45f;
    values[quillet::engine::kParamLevel] = 0.8f;
    values[quillet::engine::kParamKnobDust] = 0.0f;
    Lv2Instance lv2(rate);
    ASSERT_TRUE(lv2.ok());
    std::memcpy(lv2.controls, values, sizeof values);
    lv2.activate();
    VstRun vst(rate, values);
    ASSERT_TRUE(vst.ok());
    std::vector<float> vstL(Lv2Instance::kMaxBlock), vstR(Lv2Instance::kMaxBlock);
    unsigned seed = 1;
    for (const Block& b : kBlocks) {
      lv2.in[0] = noise(Lv2Instance::kMaxBlock, seed++);
      lv2.in[1] = noise(Lv2Instance::kMaxBlock, seed++);
      lv2.connectAudio(lv2.in[0].data(), lv2.in[1].data(), lv2.out[0].data(), lv2.out[1].data());
      if (b.param >= 0) {
        lv2.controls[b.param] = b.value;
        vst.set(b.param, b.value);
      }
      lv2.run(b.frames);
      vst.process(lv2.in[0].data(), lv2.in[1].data(), vstL.data(), vstR.data(), b.frames);
      ASSERT_EQ(std::memcmp(lv2.out[0].data(), vstL.data(), b.frames * sizeof(float)), 0)
          << "left, block of " << b.frames << " at " << rate;
      ASSERT_EQ(std::memcmp(lv2.out[1].data(), vstR.data(), b.frames * sizeof(float)), 0)
          << "right, block of " << b.frames << " at " << rate;
    }
  }
}

// Ardour's order: activate at the defaults, a silent run, the session's
// values in a later run, more silence, then the sound. The values take effect
// as if set at activate (no glide, no stretch of the lines for Delay and
// Range): the sound equals the VST library's with the values set before the
// rate, silence before it stays silence, and a change after the first sound
// glides as usual. None of it takes memory.
TEST(Lv2Dsp, ValuesSetBeforeTheFirstSoundActAsSetAtActivate) {
  float values[quillet::core::kNumQuilletParams];
  for (int i = 0; i < quillet::core::kNumQuilletParams; ++i)
    values[i] = quillet::core::kQuilletParams[i].defaultValue;
  values[quillet::engine::kParamDelay] = 0.6f;
  values[quillet::engine::kParamRange] = 0.0f;
  values[quillet::engine::kParamRepeat] = 0.45f;
  values[quillet::engine::kParamLevel] = 0.7f;
  values[quillet::engine::kParamDry] = 0.8f;
  values[quillet::engine::kParamPan] = 0.3f;
  values[quillet::engine::kParamXFeed] = 0.4f;
  values[quillet::engine::kParamPingPong] = 0.5f;
  values[quillet::engine::kParamKnobDust] = 0.0f;
  Lv2Instance lv2;
  ASSERT_TRUE(lv2.ok());
  lv2.activate();
  const std::vector<float> silence(Lv2Instance::kMaxBlock, 0.0f);
  std::vector<float> in[2] = {silence, silence};
  lv2.connectAudio(in[0].data(), in[1].data(), lv2.out[0].data(), lv2.out[1].data());
  lv2.run(512);
  // Counts the allocations of one run.
  const bool trap = quillet::host::allocation_trap::available();
  size_t allocations = 0;
  auto run = [&](int frames) {
    if (trap) quillet::host::allocation_trap::arm();
    lv2.run(frames);
    if (trap) allocations += quillet::host::allocation_trap::disarm();
  };
  std::memcpy(lv2.controls, values, sizeof values);
  for (int block = 0; block < 4; ++block) {
    run(512);
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < 512; ++i) ASSERT_EQ(lv2.out[c][i], 0.0f) << "silent block " << block;
  }
  VstRun vst(48000.0, values);
  ASSERT_TRUE(vst.ok());
  std::vector<float> vstL(Lv2Instance::kMaxBlock), vstR(Lv2Instance::kMaxBlock);
  const Block blocks[] = {{512, -1, 0},
                          {512, -1, 0},
                          {300, quillet::engine::kParamLevel, 0.2f},
                          {512, quillet::engine::kParamRepeat, 0.7f},
                          {512, quillet::engine::kParamDry, 0.0f},
                          {1024, -1, 0}};
  unsigned seed = 40;
  for (const Block& b : blocks) {
    // The block after the level change is silence: the echo goes on in it.
    const bool silent = b.param == quillet::engine::kParamRepeat;
    in[0] = silent ? silence : noise(Lv2Instance::kMaxBlock, seed++);
    in[1] = silent ? silence : noise(Lv2Instance::kMaxBlock, seed++);
    lv2.connectAudio(in[0].data(), in[1].data(), lv2.out[0].data(), lv2.out[1].data());
    if (b.param >= 0) {
      lv2.controls[b.param] = b.value;
      vst.set(b.param, b.value);
    }
    run(b.frames);
    vst.process(in[0].data(), in[1].data(), vstL.data(), vstR.data(), b.frames);
    ASSERT_EQ(std::memcmp(lv2.out[0].data(), vstL.data(), b.frames * sizeof(float)), 0)
        << "left, block of " << b.frames;
    ASSERT_EQ(std::memcmp(lv2.out[1].data(), vstR.data(), b.frames * sizeof(float)), 0)
        << "right, block of " << b.frames;
    if (silent) {
      EXPECT_NE(lv2.out[0][100], 0.0f) << "the echo of what came before";
    }
  }
  EXPECT_EQ(allocations, 0u);
}

// The same blocks in place (outputs on the input buffers), and with the
// channels crossed (each output on the other channel's input), sound as with
// buffers apart.
TEST(Lv2Dsp, RunsInPlace) {
  for (bool crossed : {false, true}) {
    Lv2Instance apart, shared;
    ASSERT_TRUE(apart.ok() && shared.ok());
    for (Lv2Instance* x : {&apart, &shared}) {
      x->controls[quillet::engine::kParamRepeat] = 0.6f;
      x->controls[quillet::engine::kParamLevel] = 0.7f;
      x->controls[quillet::engine::kParamXFeed] = 0.3f;
      x->activate();
    }
    unsigned seed = 100;
    for (const Block& b : kBlocks) {
      apart.in[0] = noise(Lv2Instance::kMaxBlock, seed++);
      apart.in[1] = noise(Lv2Instance::kMaxBlock, seed++);
      apart.connectAudio(apart.in[0].data(), apart.in[1].data(), apart.out[0].data(),
                         apart.out[1].data());
      std::vector<float> buf[2] = {apart.in[0], apart.in[1]};
      if (crossed)
        shared.connectAudio(buf[0].data(), buf[1].data(), buf[1].data(), buf[0].data());
      else
        shared.connectAudio(buf[0].data(), buf[1].data(), buf[0].data(), buf[1].data());
      if (b.param >= 0 && b.param != quillet::engine::kParamMute) {
        apart.controls[b.param] = b.value;
        shared.controls[b.param] = b.value;
      }
      apart.run(b.frames);
      shared.run(b.frames);
      const std::vector<float>& outL = crossed ? buf[1] : buf[0];
      const std::vector<float>& outR = crossed ? buf[0] : buf[1];
      ASSERT_EQ(std::memcmp(apart.out[0].data(), outL.data(), b.frames * sizeof(float)), 0)
          << (crossed ? "crossed" : "in place") << ", block of " << b.frames;
      ASSERT_EQ(std::memcmp(apart.out[1].data(), outR.data(), b.frames * sizeof(float)), 0)
          << (crossed ? "crossed" : "in place") << ", block of " << b.frames;
    }
  }
}

// Parameter stores with the engine's reactions (a stretch of both lines, the
// mute sequence), tempo events and the processing itself take no memory.
TEST(Lv2Dsp, RunAllocatesNothing) {
  if (!quillet::host::allocation_trap::available())
    GTEST_SKIP() << "this build does not watch the allocator";
  Lv2Instance x;
  ASSERT_TRUE(x.ok());
  x.controls[quillet::engine::kParamRepeat] = 0.5f;
  x.controls[quillet::engine::kParamLevel] = 0.5f;
  x.activate();
  x.in[0] = noise(Lv2Instance::kMaxBlock, 7);
  x.in[1] = noise(Lv2Instance::kMaxBlock, 8);
  x.connectAudio(x.in[0].data(), x.in[1].data(), x.out[0].data(), x.out[1].data());
  x.run(512);
  size_t seen = 0;
  for (int block = 0; block < 40; ++block) {
    x.controls[quillet::engine::kParamDelay] = 0.025f * static_cast<float>(block);
    x.controls[quillet::engine::kParamRange] = block < 20 ? 1.0f : 0.0f;
    x.controls[quillet::engine::kParamKnobDust] = block % 2 ? 1.0f : 0.0f;
    x.controls[quillet::engine::kParamMute] = block == 30 ? 1.0f : 0.0f;
    x.controls[quillet::engine::kParamPan] = 0.02f * static_cast<float>(block);
    x.sendPosition(90.0f + static_cast<float>(block));
    quillet::host::allocation_trap::arm();
    x.run(256);
    seen += quillet::host::allocation_trap::disarm();
  }
  EXPECT_EQ(seen, 0u);
  EXPECT_FLOAT_EQ(x.hostTempo, 129.0f);
}

TEST(Lv2Dsp, HostTempoFollowsTheLastPosition) {
  Lv2Instance x;
  ASSERT_TRUE(x.ok());
  x.activate();
  x.run(64);
  EXPECT_EQ(x.hostTempo, 0.0f) << "no tempo yet";
  x.sendPosition(133.5f);
  x.run(64);
  EXPECT_EQ(x.hostTempo, 133.5f);
  x.run(64);
  EXPECT_EQ(x.hostTempo, 133.5f) << "kept while the host sends nothing";
  x.sendPosition(0.0f, false);
  x.run(64);
  EXPECT_EQ(x.hostTempo, 133.5f) << "a position without a tempo changes nothing";
  x.sendPosition(-20.0f);
  x.run(64);
  EXPECT_EQ(x.hostTempo, 0.0f);
  x.sendPosition(90.0f);
  x.run(64);
  x.sendPosition(std::numeric_limits<float>::quiet_NaN());
  x.run(64);
  EXPECT_EQ(x.hostTempo, 0.0f);
  x.sendPosition(std::numeric_limits<float>::infinity());
  x.run(64);
  EXPECT_EQ(x.hostTempo, 0.0f);
}

TEST(Lv2Dsp, SequenceAnnouncingMoreThanItHoldsIsReadNoFurther) {
  Lv2Instance x;
  ASSERT_TRUE(x.ok());
  x.activate();
  x.sendPosition(100.0f);
  x.run(16);
  ASSERT_EQ(x.hostTempo, 100.0f);
  x.sendPosition(140.0f);
  // The event claims a body far larger than the sequence holds.
  auto* event = reinterpret_cast<LV2_Atom_Event*>(x.sequence() + 1);
  event->body.size = 1u << 30;
  x.run(16);
  EXPECT_EQ(x.hostTempo, 100.0f);
  x.sendPosition(140.0f);
  // The tempo property (after the speed property) claims a value larger than
  // its object.
  uint8_t* bytes = reinterpret_cast<uint8_t*>(x.sequence());
  auto* property = reinterpret_cast<LV2_Atom_Property_Body*>(bytes + 64);
  ASSERT_EQ(property->key, x.urids.id(LV2_TIME__beatsPerMinute));
  property->value.size = 0xfffffff0u;
  x.run(16);
  EXPECT_EQ(x.hostTempo, 100.0f);
  x.sendPosition(140.0f);
  x.sequence()->atom.size = 4;  // shorter than a sequence body
  x.run(16);
  EXPECT_EQ(x.hostTempo, 100.0f);
}

TEST(Lv2Dsp, WithoutAMapThereIsNoTempo) {
  Lv2Instance x(48000.0, false);
  ASSERT_TRUE(x.ok());
  x.activate();
  x.sendPosition(120.0f);
  x.run(64);
  EXPECT_EQ(x.hostTempo, 0.0f);
}

// Hosts may leave the atom port unconnected (it is optional) and connect
// audio late; a run without audio buffers still reports the tempo.
TEST(Lv2Dsp, UnconnectedPortsAreSkipped) {
  Lv2Instance x;
  ASSERT_TRUE(x.ok());
  x.connect(quillet::lv2::kPortControl, nullptr);
  x.connect(quillet::engine::kParamRepeat, nullptr);
  x.activate();
  x.run(64);
  x.connect(quillet::lv2::kPortOutL, nullptr);
  x.run(64);
  EXPECT_EQ(x.hostTempo, 0.0f);
  x.connect(kPortHostTempo, nullptr);
  x.run(64);
  x.run(0);
}

// Garbage on a control port is clamped like any stored value: the output
// stays finite.
TEST(Lv2Dsp, NonFiniteControlValuesKeepTheOutputFinite) {
  Lv2Instance x;
  ASSERT_TRUE(x.ok());
  x.activate();
  x.in[0] = noise(Lv2Instance::kMaxBlock, 3);
  x.in[1] = noise(Lv2Instance::kMaxBlock, 4);
  // New buffers: the plug-in must be told where they are.
  x.connectAudio(x.in[0].data(), x.in[1].data(), x.out[0].data(), x.out[1].data());
  for (int i = 0; i < quillet::core::kNumQuilletParams; ++i)
    x.controls[i] =
        i % 2 ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
  x.controls[quillet::engine::kParamMute] = 0.0f;
  for (int block = 0; block < 20; ++block) {
    x.run(1024);
    for (int c = 0; c < 2; ++c)
      for (uint32_t i = 0; i < 1024; ++i) ASSERT_TRUE(std::isfinite(x.out[c][i])) << block;
  }
}

}  // namespace
