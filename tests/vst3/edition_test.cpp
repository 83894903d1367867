// The built bundle driven by quillet-host's VST3 side, as a DAW drives it:
// processor and controller joined, blocks with parameter changes, states
// saved and handed over. Bypass, the tail, the controller's texts with the
// processor's rate, and a project's VST 2.4 state taken over from
// QTAPG_x64.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/plugin/vst3/vst3_audio_plugin.h"
#include "host/render/demo_material.h"
#include "host/render/render.h"

namespace quillet::host::vst3 {
namespace {

constexpr ParamID kBypass = 100;

// The processor's state: the 44 bytes, then the bypass as a float.
std::vector<uint8> withBypass(std::vector<uint8> values, bool bypassed) {
  const float bypass = bypassed ? 1.0f : 0.0f;
  const auto* bytes = reinterpret_cast<const uint8*>(&bypass);
  values.insert(values.end(), bytes, bytes + 4);
  return values;
}

std::string utf8(const char16* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

class Vst3Edition : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    module = Vst3Module::load(VST3_BUNDLE_PATH, &error);
    ASSERT_TRUE(module) << error;
    instance = Vst3Instance::open(*module, &error);
    ASSERT_TRUE(instance) << error;
    ASSERT_NE(instance->controller(), nullptr);
  }

  std::string text(ParamID id, ParamValue value) {
    String128 shown{};
    EXPECT_EQ(instance->controller()->getParamStringByValue(id, value, shown), kResultOk);
    return utf8(shown);
  }

  ParamValue valueOf(ParamID id, const std::u16string& typed) {
    std::u16string copy = typed;
    ParamValue value = -1;
    EXPECT_EQ(instance->controller()->getParamValueByString(id, copy.data(), value), kResultOk)
        << std::string(typed.begin(), typed.end());
    return value;
  }

  // Noise through the instance in blocks of `block`, 64-bit; the output.
  std::vector<double> run(Vst3Instance& p, std::vector<double>& input, int32 block,
                          const std::vector<std::pair<int, std::pair<ParamID, double>>>& changes) {
    std::vector<double> left(input.size()), right(input.size());
    std::vector<double> inR = input;
    for (size_t start = 0, b = 0; start < input.size(); start += block, ++b) {
      for (const auto& [atBlock, change] : changes)
        if (static_cast<size_t>(atBlock) == b) p.queueChange(change.first, change.second);
      double* in[2] = {input.data() + start, inR.data() + start};
      double* out[2] = {left.data() + start, right.data() + start};
      EXPECT_EQ(p.process(in, out, block), kResultOk);
    }
    return left;
  }

  std::unique_ptr<Vst3Module> module;
  std::unique_ptr<Vst3Instance> instance;
};

TEST_F(Vst3Edition, BypassFadesToTheInputWhileTheEchoRunsOn) {
  std::string error;
  auto reference = Vst3Instance::open(*module, &error);
  ASSERT_TRUE(reference) << error;
  const int32 block = 128;
  for (Vst3Instance* p : {instance.get(), reference.get()}) {
    p->queueChange(0, 0.05);  // a short echo, loud and repeating
    p->queueChange(1, 0.5);
    p->queueChange(2, 1.0);
    ASSERT_TRUE(p->start(48000.0, block, true, kRealtime, &error)) << error;
    // Delivered before any sound, as a host flushes values while stopped:
    // the echo starts on them with no stretch of its lines (whose noise
    // would follow the clock and differ between the two instances).
    ASSERT_EQ(p->process(static_cast<double**>(nullptr), nullptr, 0), kResultOk);
  }
  std::vector<double> input(block * 60);
  for (size_t i = 0; i < input.size(); ++i)
    input[i] = 0.5 * std::sin(0.05 * i) * std::sin(0.0011 * i);
  std::vector<double> inputCopy = input;
  // Bypass on at block 10, off at block 30.
  const std::vector<double> out =
      run(*instance, input, block, {{10, {kBypass, 1.0}}, {30, {kBypass, 0.0}}});
  const std::vector<double> ref = run(*reference, inputCopy, block, {});
  const size_t on = 10 * block, off = 30 * block, fade = 480;  // 10 ms at 48 kHz
  for (size_t i = 0; i < on; ++i) ASSERT_EQ(out[i], ref[i]) << i;
  // The fade: from the echo to the input, a straight line over 480 frames.
  for (size_t i = on; i < on + fade; ++i) {
    const double share = static_cast<double>(on + fade - 1 - i) / fade;
    ASSERT_NEAR(out[i], input[i] + (ref[i] - input[i]) * share, 1e-12) << i;
  }
  // Bypassed: the input itself.
  for (size_t i = on + fade; i < off; ++i) ASSERT_EQ(out[i], input[i]) << i;
  // Back: the echo ran on meanwhile, so after the fade it is exactly the
  // echo that was never bypassed.
  for (size_t i = off + fade - 1; i < out.size(); ++i) ASSERT_EQ(out[i], ref[i]) << i;
  EXPECT_NE(ref[off + 1000], input[off + 1000]) << "the echo is heard";
}

TEST_F(Vst3Edition, TheTailFollowsTheEchoAndSustainingLoopsAreEndless) {
  std::string error;
  ASSERT_TRUE(instance->start(48000.0, 512, false, kRealtime, &error)) << error;
  const uint32 quiet = instance->processor()->getTailSamples();
  EXPECT_GT(quiet, 0u);
  EXPECT_LT(quiet, 48000u * 10);
  instance->queueChange(1, 0.9);  // "Repeat" 180 %: the loop sustains itself
  instance->queueChange(0, 1.0);
  float* none[2] = {nullptr, nullptr};
  ASSERT_EQ(instance->process(none, none, 0), kResultOk);
  EXPECT_EQ(instance->processor()->getTailSamples(), kInfiniteTail);
  instance->queueChange(1, 0.3);
  ASSERT_EQ(instance->process(none, none, 0), kResultOk);
  const uint32 longer = instance->processor()->getTailSamples();
  EXPECT_GT(longer, quiet) << "a longer, repeating echo rings longer";
  EXPECT_NE(longer, kInfiniteTail);
}

TEST_F(Vst3Edition, ParametersCarryTheVst24NamesStepsAndDefaults) {
  IEditController* c = instance->controller();
  ASSERT_EQ(c->getParameterCount(), 13);
  const struct {
    int32 index;
    const char* title;
    const char* units;
    int32 steps;
    double defaultValue;
  } rows[] = {{0, "Delay", "ms", 0, 0.0},     {3, "Range", "typ", 2, 0.5},
              {4, "Mute", "n/y", 1, 0.0},     {5, "Dry", "%", 0, 1.0},
              {9, "KnobDust", "n/y", 1, 1.0}, {10, "PingPong", "typ", 2, 0.0},
              {11, "Bypass", "", 1, 0.0}};
  for (const auto& r : rows) {
    ParameterInfo info{};
    ASSERT_EQ(c->getParameterInfo(r.index, info), kResultOk);
    EXPECT_EQ(info.id, r.index == 11 ? kBypass : static_cast<ParamID>(r.index));
    EXPECT_EQ(utf8(info.title), r.title);
    EXPECT_EQ(utf8(info.units), r.units);
    EXPECT_EQ(info.stepCount, r.steps);
    EXPECT_EQ(info.defaultNormalizedValue, r.defaultValue);
    EXPECT_TRUE(info.flags & ParameterInfo::kCanAutomate);
    EXPECT_EQ((info.flags & ParameterInfo::kIsBypass) != 0, r.index == 11);
    EXPECT_EQ((info.flags & ParameterInfo::kIsList) != 0, r.steps == 2);
  }
  // Steps split where the echo splits them: exactly one half is "off".
  EXPECT_EQ(c->normalizedParamToPlain(4, 0.5), 0.0);
  EXPECT_EQ(c->normalizedParamToPlain(4, 0.51), 1.0);
  EXPECT_EQ(c->normalizedParamToPlain(3, 0.5), 1.0);
  EXPECT_EQ(c->plainParamToNormalized(3, 1.0), 0.5);
  EXPECT_EQ(c->plainParamToNormalized(10, 2.0), 1.0);
  EXPECT_EQ(c->normalizedParamToPlain(0, 0.25), 0.25);
}

TEST_F(Vst3Edition, ConversionsStayInTheRangeWhateverTheHostPasses) {
  IEditController* c = instance->controller();
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::nan("");
  // Continuous: plain is the normalised value, within 0..1.
  for (ParamID id : {0u, 1u, 6u}) {
    EXPECT_EQ(c->normalizedParamToPlain(id, inf), 1.0) << id;
    EXPECT_EQ(c->normalizedParamToPlain(id, -5.0), 0.0) << id;
    EXPECT_EQ(c->normalizedParamToPlain(id, 1.5), 1.0) << id;
    EXPECT_EQ(c->normalizedParamToPlain(id, nan), 0.0) << id;
    EXPECT_EQ(c->plainParamToNormalized(id, inf), 1.0) << id;
    EXPECT_EQ(c->plainParamToNormalized(id, -5.0), 0.0) << id;
    EXPECT_EQ(c->plainParamToNormalized(id, -inf), 0.0) << id;
    EXPECT_EQ(c->plainParamToNormalized(id, nan), 0.0) << id;
    EXPECT_EQ(c->plainParamToNormalized(id, 0.3), 0.3) << id;
  }
  // Stepped: positions 0 .. steps.
  for (ParamID id : {3u, 4u, 10u, kBypass}) {
    EXPECT_EQ(c->normalizedParamToPlain(id, nan), 0.0) << id;
    EXPECT_EQ(c->plainParamToNormalized(id, nan), 0.0) << id;
    EXPECT_EQ(c->plainParamToNormalized(id, inf), 1.0) << id;
    EXPECT_EQ(c->plainParamToNormalized(id, -5.0), 0.0) << id;
    EXPECT_EQ(c->normalizedParamToPlain(id, -inf), 0.0) << id;
  }
  EXPECT_EQ(c->normalizedParamToPlain(3, inf), 2.0);
}

TEST_F(Vst3Edition, TheMusiciansTextsBothWaysWithTheProcessorsRate) {
  EXPECT_EQ(text(4, 1.0), "on");
  EXPECT_EQ(text(kBypass, 0.0), "off");
  EXPECT_EQ(text(3, 0.0), "30-160 ms");
  EXPECT_EQ(text(10, 0.5), "ping");
  EXPECT_EQ(text(1, 0.25), "50.0 %");
  EXPECT_EQ(text(6, 0.3), "L 40");
  EXPECT_EQ(valueOf(10, u"pong"), 1.0);
  EXPECT_EQ(valueOf(kBypass, u"on"), 1.0);
  EXPECT_EQ(valueOf(1, u"100 %"), 0.5);
  EXPECT_EQ(valueOf(6, u"C"), 0.5);
  // "Delay" in milliseconds: whole samples once the processor has its rate
  // (sent to the controller through their connection).
  const std::string withoutRate = text(0, 0.4);
  std::string error;
  ASSERT_TRUE(instance->start(1000.0, 64, false, kRealtime, &error)) << error;
  const std::string atThousand = text(0, 0.4);
  EXPECT_NE(atThousand, withoutRate);
  EXPECT_EQ(atThousand.substr(atThousand.size() - 5), ".0 ms") << "a whole number of 1 ms samples";
  const ParamValue back = valueOf(0, std::u16string(atThousand.begin(), atThousand.end()));
  EXPECT_EQ(text(0, back), atThousand);
  // The range changes the text too: the controller's own "Range".
  instance->controller()->setParamNormalized(3, 1.0);
  EXPECT_NE(text(0, 0.4), atThousand);
}

TEST_F(Vst3Edition, TheControllerFollowsTheComponentStateAndRefusalsKeepIt) {
  std::vector<uint8> state(44, 0);
  const float values[11] = {0.75f, 0.5f, 0.25f, 1.0f, 1.0f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f};
  std::memcpy(state.data(), values, 44);
  std::string error;
  ASSERT_TRUE(instance->restoreState(state, &error)) << error;
  IEditController* c = instance->controller();
  EXPECT_EQ(c->getParamNormalized(0), 0.75);
  EXPECT_EQ(c->getParamNormalized(3), 1.0);
  std::vector<uint8> shortState(state.begin(), state.begin() + 40);
  MemoryStream stream(shortState);
  EXPECT_EQ(c->setComponentState(&stream), kResultFalse);
  EXPECT_EQ(c->getParamNormalized(0), 0.75);
  std::vector<uint8> saved;
  ASSERT_TRUE(instance->saveState(&saved));
  EXPECT_EQ(saved, withBypass(state, false));
}

// Hosts that leave the bypass to the plug-in (Steinberg's validator checks
// it) reopen a project bypassed only if the state says so; a state of the
// eleven values alone, as saved before and as the presets are, leaves the
// bypass where it is.
TEST_F(Vst3Edition, ABypassedProjectReopensBypassed) {
  std::string error;
  ASSERT_TRUE(instance->start(48000.0, 256, false, kRealtime, &error)) << error;
  instance->queueChange(kBypass, 1.0);
  instance->queueChange(2, 0.8);
  float* none[2] = {nullptr, nullptr};
  ASSERT_EQ(instance->process(none, none, 0), kResultOk);
  std::vector<uint8> saved;
  ASSERT_TRUE(instance->saveState(&saved));
  ASSERT_EQ(saved.size(), 48u);
  float bypass = 0;
  std::memcpy(&bypass, saved.data() + 44, 4);
  EXPECT_EQ(bypass, 1.0f);

  auto reopened = Vst3Instance::open(*module, &error);
  ASSERT_TRUE(reopened) << error;
  ASSERT_TRUE(reopened->restoreState(saved, &error)) << error;
  EXPECT_EQ(reopened->controller()->getParamNormalized(kBypass), 1.0);
  EXPECT_EQ(reopened->controller()->getParamNormalized(2), 0.8f);
  std::vector<uint8> again;
  ASSERT_TRUE(reopened->saveState(&again));
  EXPECT_EQ(again, saved);
  // Bypassed from the first sound on: the input comes out unchanged.
  ASSERT_TRUE(reopened->start(48000.0, 256, false, kRealtime, &error)) << error;
  std::vector<float> left(256), right(256), outL(256), outR(256);
  for (size_t i = 0; i < left.size(); ++i) left[i] = right[i] = 0.25f * std::sin(0.1f * i);
  float* in[2] = {left.data(), right.data()};
  float* out[2] = {outL.data(), outR.data()};
  ASSERT_EQ(reopened->process(in, out, 256), kResultOk);
  EXPECT_EQ(outL, left);

  // The values alone: the bypass stays on.
  std::vector<uint8> valuesOnly(saved.begin(), saved.begin() + 44);
  ASSERT_TRUE(reopened->restoreState(valuesOnly, &error)) << error;
  EXPECT_EQ(reopened->controller()->getParamNormalized(kBypass), 1.0);
  ASSERT_TRUE(reopened->saveState(&again));
  EXPECT_EQ(again, saved);
}

// A project saved with QTAPG_x64: its chunk, as a VST3 host hands it over
// ('VstW' header, then the bank record), gives the VST3 edition the same
// values and the same sound.
TEST_F(Vst3Edition, AQtapgChunkHandedOverSoundsTheSame) {
  OpenedPlugin vst2;
  std::string error;
  ASSERT_TRUE(openPlugin(QTAPG_PATH, &vst2, &error)) << error;
  const float values[11] = {0.3f, 0.6f, 0.7f, 1.0f, 0.0f, 0.8f, 0.3f, 0.4f, 0.0f, 0.0f, 0.5f};
  for (VstInt32 i = 0; i < 11; ++i) vst2->effect()->setParameter(vst2->effect(), i, values[i]);
  void* chunk = nullptr;
  const auto size = static_cast<size_t>(vst2->dispatch(effGetChunk, 0, 0, &chunk));
  ASSERT_EQ(size, 44u);
  const auto* bytes = static_cast<const uint8*>(chunk);
  for (uint32 bypass : {0u, 1u}) {
    std::vector<uint8> stream = {
        'V', 's', 't', 'W', 0, 0, 0, 8,  0,   0,   0,   1,   0, 0, 0, static_cast<uint8>(bypass),
        'C', 'c', 'n', 'K', 0, 0, 0, 0,  'F', 'B', 'C', 'h', 0, 0, 0, 2,
        'Q', 'T', 'A', 'P', 0, 0, 5, 120};
    stream.resize(16 + 156, 0);  // numPrograms 0, the reserved bytes
    stream.insert(stream.end(), {0, 0, 0, 44});
    stream.insert(stream.end(), bytes, bytes + size);
    auto p = Vst3Instance::open(*module, &error);
    ASSERT_TRUE(p) << error;
    ASSERT_TRUE(p->restoreState(stream, &error)) << error;
    std::vector<uint8> saved;
    ASSERT_TRUE(p->saveState(&saved));
    EXPECT_EQ(saved, withBypass(std::vector<uint8>(bytes, bytes + size), bypass));
    EXPECT_EQ(p->controller()->getParamNormalized(kBypass), bypass);
    EXPECT_EQ(p->controller()->getParamNormalized(3), 1.0);

    const AudioData demo = demoMaterial(48000.0);
    RenderSettings settings;
    settings.blockSize = 512;
    settings.tailSeconds = 1.0;
    AudioData fromVst3, fromVst2;
    Vst3AudioPlugin audio3(*p);
    ASSERT_TRUE(renderThrough(audio3, demo, settings, &fromVst3, &error)) << error;
    if (bypass) {
      // The VST 2 project had the plug-in bypassed: it still is.
      for (size_t i = 0; i < demo.frames(); ++i)
        ASSERT_EQ(fromVst3.channels[0][i], static_cast<float>(demo.channels[0][i])) << i;
      continue;
    }
    ASSERT_TRUE(renderThrough(*vst2, demo, settings, &fromVst2, &error)) << error;
    ASSERT_EQ(fromVst2.channels, fromVst3.channels);
  }
}

}  // namespace
}  // namespace quillet::host::vst3
