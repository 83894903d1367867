// The built VST3 module, loaded the way a Linux host loads it: dlopen,
// ModuleEntry, GetPluginFactory, then only the interfaces.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/vst3/host_objects.h"
#include "vst3/interface/controller.h"
#include "vst3/interface/factory.h"
#include "vst3/interface/view.h"

namespace quillet::vst3 {
namespace {

using testing::BlockChanges;
using testing::MemoryStream;

std::string utf8(const char16* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

template <class I>
I* query(FUnknown* object) {
  void* obj = nullptr;
  return object->queryInterface(I::iid.bytes, &obj) == kResultOk ? static_cast<I*>(obj) : nullptr;
}

class Vst3Module : public ::testing::Test {
 protected:
  void SetUp() override {
    library = dlopen(VST3_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(library, "ModuleEntry"));
    auto getFactory = reinterpret_cast<GetFactoryProc>(dlsym(library, "GetPluginFactory"));
    ASSERT_TRUE(entry && getFactory);
    ASSERT_TRUE(entry(library));
    factory = getFactory();
    ASSERT_NE(factory, nullptr);
  }
  void TearDown() override {
    for (FUnknown* object : made) object->release();
    if (factory) factory->release();
    if (library) {
      auto exit = reinterpret_cast<bool (*)()>(dlsym(library, "ModuleExit"));
      EXPECT_TRUE(exit && exit());
      dlclose(library);
    }
  }

  // A new object of class `index`, seen as I; released at the end of the test.
  template <class I>
  I* make(int32 index) {
    PClassInfo info{};
    EXPECT_EQ(factory->getClassInfo(index, &info), kResultOk);
    void* obj = nullptr;
    EXPECT_EQ(factory->createInstance(info.cid, I::iid.bytes, &obj), kResultOk);
    if (obj) made.push_back(static_cast<I*>(obj));
    return static_cast<I*>(obj);
  }

  // An initialised processor, set up for 48 kHz and active.
  IComponent* activeProcessor(int32 sampleSize = kSample32) {
    auto* component = make<IComponent>(0);
    EXPECT_EQ(component->initialize(nullptr), kResultOk);
    auto* processor = query<IAudioProcessor>(component);
    ProcessSetup setup{kRealtime, sampleSize, 512, 48000.0};
    EXPECT_EQ(processor->setupProcessing(setup), kResultOk);
    EXPECT_EQ(component->setActive(1), kResultOk);
    EXPECT_EQ(processor->setProcessing(1), kResultOk);
    processor->release();
    return component;
  }

  void* library = nullptr;
  IPluginFactory* factory = nullptr;
  std::vector<FUnknown*> made;
};

TEST_F(Vst3Module, FactoryListsTheProcessorAndItsController) {
  PFactoryInfo info{};
  ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Marrow Ledge");
  EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
  ASSERT_EQ(factory->countClasses(), 2);

  auto* factory3 = query<IPluginFactory3>(factory);
  ASSERT_NE(factory3, nullptr);
  PClassInfo2 processor{};
  ASSERT_EQ(factory3->getClassInfo2(0, &processor), kResultOk);
  EXPECT_STREQ(processor.category, "Audio Module Class");
  EXPECT_STREQ(processor.name, "Quillet K3");
  EXPECT_STREQ(processor.subCategories, "Fx|Delay");
  EXPECT_STREQ(processor.vendor, "Marrow Ledge");
  EXPECT_EQ(std::string(processor.cid, 16), "VSTQTAPquillet k");
  PClassInfoW controller{};
  ASSERT_EQ(factory3->getClassInfoUnicode(1, &controller), kResultOk);
  EXPECT_STREQ(controller.category, "Component Controller Class");
  EXPECT_EQ(utf8(controller.vendor), "Marrow Ledge");
  EXPECT_EQ(std::string(controller.cid, 16), "VSEQTAPquillet k");
  EXPECT_EQ(factory3->getClassInfo2(2, &processor), kInvalidArgument);
  factory3->release();
}

TEST_F(Vst3Module, UnknownClassesAndInterfacesAreRefusedWithNull) {
  char8 unknownClass[16] = {'n', 'o', 'p', 'e'};
  void* obj = &obj;
  EXPECT_EQ(factory->createInstance(unknownClass, FUnknown::iid.bytes, &obj), kInvalidArgument);
  EXPECT_EQ(obj, nullptr);
  auto* component = make<IComponent>(0);
  obj = &obj;
  EXPECT_EQ(component->queryInterface(IPlugView::iid.bytes, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  // The component names its controller.
  char8 controllerId[16];
  ASSERT_EQ(component->getControllerClassId(controllerId), kResultOk);
  EXPECT_EQ(std::string(controllerId, 16), "VSEQTAPquillet k");
}

TEST_F(Vst3Module, OneStereoBusEachWayAndNothingElse) {
  auto* component = make<IComponent>(0);
  ASSERT_EQ(component->initialize(nullptr), kResultOk);
  EXPECT_EQ(component->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(component->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(component->getBusCount(kEvent, kInput), 0);
  BusInfo bus{};
  ASSERT_EQ(component->getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
  EXPECT_EQ(bus.channelCount, 2);
  EXPECT_EQ(bus.busType, kMain);
  EXPECT_EQ(component->getBusInfo(kAudio, kOutput, 1, bus), kInvalidArgument);

  auto* processor = query<IAudioProcessor>(component);
  SpeakerArrangement stereo = kArrStereo, mono = kArrMono;
  EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
  EXPECT_EQ(processor->setBusArrangements(&mono, 1, &mono, 1), kResultFalse);
  EXPECT_EQ(processor->setBusArrangements(&mono, 1, &stereo, 1), kResultFalse);
  EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 0), kResultFalse);
  SpeakerArrangement arrangement = 0;
  ASSERT_EQ(processor->getBusArrangement(kOutput, 0, arrangement), kResultOk);
  EXPECT_EQ(arrangement, kArrStereo);  // a refused request leaves stereo
  EXPECT_EQ(processor->canProcessSampleSize(kSample32), kResultTrue);
  EXPECT_EQ(processor->canProcessSampleSize(kSample64), kResultTrue);
  EXPECT_EQ(processor->canProcessSampleSize(7), kResultFalse);
  EXPECT_EQ(processor->getLatencySamples(), 0u);
  processor->release();
}

TEST_F(Vst3Module, LifeCycleOutOfOrderIsRefusedNotFollowed) {
  auto* component = make<IComponent>(0);
  auto* processor = query<IAudioProcessor>(component);
  ProcessSetup setup{kRealtime, kSample32, 512, 48000.0};
  EXPECT_EQ(processor->setupProcessing(setup), kNotInitialized);  // before initialize
  ASSERT_EQ(component->initialize(nullptr), kResultOk);
  EXPECT_EQ(component->setActive(1), kResultFalse);  // no sample rate yet
  ProcessData data{};
  EXPECT_EQ(processor->process(data), kNotInitialized);
  setup.sampleRate = 20.0;  // no echo fits in one sample
  EXPECT_EQ(processor->setupProcessing(setup), kResultFalse);
  setup.sampleRate = 44100.0;
  EXPECT_EQ(processor->setupProcessing(setup), kResultOk);
  EXPECT_EQ(component->setActive(1), kResultOk);
  EXPECT_EQ(processor->setupProcessing(setup), kResultFalse);  // only while inactive
  EXPECT_EQ(component->setActive(0), kResultOk);
  EXPECT_EQ(component->terminate(), kResultOk);
  EXPECT_EQ(component->setActive(1), kNotInitialized);
  processor->release();
}

TEST_F(Vst3Module, StateRoundTripsAndRefusedStatesChangeNothing) {
  auto* component = activeProcessor();
  MemoryStream saved;
  ASSERT_EQ(component->getState(&saved), kResultOk);
  ASSERT_EQ(saved.data.size(), 48u);  // the eleven values, then the bypass
  float defaults[12];
  std::memcpy(defaults, saved.data.data(), 48);
  EXPECT_EQ(defaults[3], 0.5f);   // Range
  EXPECT_EQ(defaults[5], 1.0f);   // Dry
  EXPECT_EQ(defaults[9], 1.0f);   // KnobDust
  EXPECT_EQ(defaults[11], 0.0f);  // not bypassed

  std::vector<uint8> changed = saved.data;
  const float delay = 0.25f;
  std::memcpy(changed.data(), &delay, 4);
  MemoryStream incoming(changed);
  incoming.readLimit = 5;  // a host that delivers in small pieces
  ASSERT_EQ(component->setState(&incoming), kResultOk);

  std::vector<uint8> nan = changed;
  const float notANumber = std::nanf("");
  std::memcpy(nan.data() + 8, &notANumber, 4);
  MemoryStream nanStream(nan);
  EXPECT_EQ(component->setState(&nanStream), kResultFalse);
  MemoryStream shortStream(std::vector<uint8>(changed.begin(), changed.begin() + 40));
  EXPECT_EQ(component->setState(&shortStream), kResultFalse);
  std::vector<uint8> nanBypass = changed;
  std::memcpy(nanBypass.data() + 44, &notANumber, 4);
  MemoryStream nanBypassStream(nanBypass);
  EXPECT_EQ(component->setState(&nanBypassStream), kResultFalse);
  // A stream that fails part-way is refused, whether or not it can tell
  // its length: what came before the failure is not a whole state.
  for (bool seekable : {true, false}) {
    std::vector<uint8> other = changed;
    const float otherDelay = 0.75f;
    std::memcpy(other.data(), &otherDelay, 4);
    MemoryStream failing(other);
    failing.failAfter = 44;
    failing.seekable = seekable;
    EXPECT_EQ(component->setState(&failing), kResultFalse) << seekable;
  }

  MemoryStream after;
  ASSERT_EQ(component->getState(&after), kResultOk);
  EXPECT_EQ(after.data, changed);

  // Out of range is clamped, as every edition restores a state.
  std::vector<uint8> outOfRange = changed;
  const float tooBig = 1.5f;
  std::memcpy(outOfRange.data() + 4, &tooBig, 4);
  MemoryStream outOfRangeStream(outOfRange);
  EXPECT_EQ(component->setState(&outOfRangeStream), kResultOk);
  MemoryStream clamped;
  ASSERT_EQ(component->getState(&clamped), kResultOk);
  float repeat;
  std::memcpy(&repeat, clamped.data.data() + 4, 4);
  EXPECT_EQ(repeat, 1.0f);
}

TEST_F(Vst3Module, BlocksOfAnyLengthAndZeroFrameFlushes) {
  auto* component = activeProcessor();
  auto* processor = query<IAudioProcessor>(component);
  std::vector<float> inL(1000, 0.25f), inR(1000, -0.25f), outL(1000), outR(1000);
  float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  AudioBusBuffers inBus{}, outBus{};
  inBus.numChannels = outBus.numChannels = 2;
  inBus.channelBuffers32 = in;
  outBus.channelBuffers32 = out;
  ProcessData data{};
  data.symbolicSampleSize = kSample32;
  data.numInputs = data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;

  // A flush: parameters only, no buffers touched.
  BlockChanges changes;
  changes.add(2, {{0, 0.3}, {10, 0.6}});  // Level: the last point counts
  data.inputParameterChanges = &changes;
  data.numSamples = 0;
  EXPECT_EQ(processor->process(data), kResultOk);
  MemoryStream state;
  ASSERT_EQ(component->getState(&state), kResultOk);
  float level;
  std::memcpy(&level, state.data.data() + 8, 4);
  EXPECT_EQ(level, 0.6f);

  data.inputParameterChanges = nullptr;
  for (int32 frames : {1, 999, 1000}) {
    data.numSamples = frames;
    EXPECT_EQ(processor->process(data), kResultOk) << frames;
  }
  for (float v : outL) EXPECT_TRUE(std::isfinite(v));
  // Defaults (Dry 1, echo just switched on): the input is heard from the first sample.
  EXPECT_NEAR(outL[0], 0.25f, 1e-6f);

  inBus.numChannels = 1;
  data.numSamples = 16;
  EXPECT_EQ(processor->process(data), kInvalidArgument);
  // Buses counted but not handed over are taken as switched off, nothing
  // read through null: no input is silence in, no output only the values.
  inBus.numChannels = 2;
  data.inputs = nullptr;
  std::fill(outL.begin(), outL.end(), 7.0f);
  EXPECT_EQ(processor->process(data), kResultOk);
  EXPECT_NEAR(outL[0], 0.0f, 1e-12f);  // the echo of silence
  data.inputs = &inBus;
  data.outputs = nullptr;
  std::fill(outL.begin(), outL.end(), 7.0f);
  EXPECT_EQ(processor->process(data), kResultOk);
  EXPECT_EQ(outL[0], 7.0f);
  processor->release();
}

TEST_F(Vst3Module, BypassPassesTheInputThroughIn64BitOnceFaded) {
  auto* component = activeProcessor(kSample64);
  auto* processor = query<IAudioProcessor>(component);
  std::vector<double> inL(64), inR(64), outL(64), outR(64);
  for (int i = 0; i < 64; ++i) {
    inL[i] = std::sin(i * 0.1);
    inR[i] = std::cos(i * 0.1);
  }
  double* in[2] = {inL.data(), inR.data()};
  double* out[2] = {outL.data(), outR.data()};
  AudioBusBuffers inBus{}, outBus{};
  inBus.numChannels = outBus.numChannels = 2;
  inBus.channelBuffers64 = in;
  outBus.channelBuffers64 = out;
  BlockChanges changes;
  changes.add(100, {{0, 1.0}});  // bypass on
  changes.add(0, {{0, 1.0}});    // and a long echo
  changes.add(2, {{0, 1.0}});
  changes.add(5, {{0, 0.0}});  // no dry signal
  ProcessData data{};
  data.symbolicSampleSize = kSample64;
  data.numSamples = 64;
  data.numInputs = data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;
  data.inputParameterChanges = &changes;
  ASSERT_EQ(processor->process(data), kResultOk);
  EXPECT_NE(outL, inL) << "the fade has only begun";
  data.inputParameterChanges = nullptr;
  // 10 ms at 48 kHz is 480 frames: from the eighth block of 64 on, the input.
  for (int block = 1; block < 9; ++block) ASSERT_EQ(processor->process(data), kResultOk);
  EXPECT_EQ(outL, inL);
  EXPECT_EQ(outR, inR);
  processor->release();
}

TEST_F(Vst3Module, ControllerListsTheElevenParametersAndBypass) {
  auto* controller = make<IEditController>(1);
  ASSERT_EQ(controller->initialize(nullptr), kResultOk);
  ASSERT_EQ(controller->getParameterCount(), 13);
  ParameterInfo info{};
  ASSERT_EQ(controller->getParameterInfo(3, info), kResultOk);
  EXPECT_EQ(info.id, 3u);
  EXPECT_EQ(utf8(info.title), "Range");
  EXPECT_EQ(utf8(info.units), "typ");
  EXPECT_EQ(info.stepCount, 2);
  EXPECT_EQ(info.defaultNormalizedValue, 0.5);
  EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList);
  ASSERT_EQ(controller->getParameterInfo(8, info), kResultOk);
  EXPECT_EQ(utf8(info.title), "Mono Out");
  EXPECT_EQ(info.stepCount, 1);
  ASSERT_EQ(controller->getParameterInfo(11, info), kResultOk);
  EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass);
  EXPECT_EQ(controller->getParameterInfo(13, info), kInvalidArgument);

  String128 text;
  ASSERT_EQ(controller->getParamStringByValue(10, 0.5, text), kResultOk);
  EXPECT_EQ(utf8(text), "ping");
  ASSERT_EQ(controller->getParamStringByValue(4, 0.5, text), kResultOk);
  EXPECT_EQ(utf8(text), "off");  // exactly one half is off, as the echo reads it
  ParamValue value = -1;
  char16 pong[] = u"pong";
  ASSERT_EQ(controller->getParamValueByString(10, pong, value), kResultOk);
  EXPECT_EQ(value, 1.0);

  // The controller follows the component's state; a refused one changes nothing.
  std::vector<uint8> state(44, 0);
  const float delay = 0.75f;
  std::memcpy(state.data(), &delay, 4);
  MemoryStream stream(state);
  ASSERT_EQ(controller->setComponentState(&stream), kResultOk);
  EXPECT_EQ(controller->getParamNormalized(0), 0.75);
  MemoryStream shortStream(std::vector<uint8>(10, 0));
  EXPECT_EQ(controller->setComponentState(&shortStream), kResultFalse);
  EXPECT_EQ(controller->getParamNormalized(0), 0.75);
}

}  // namespace
}  // namespace quillet::vst3
