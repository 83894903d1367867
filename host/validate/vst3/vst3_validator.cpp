// The VST3 validator's entry, its harness, the life cycle and the buses.
#include "host/validate/vst3/vst3_validator.h"

#include <cmath>
#include <cstring>

namespace quillet::host::vst3 {

namespace {

template <class I>
I* query(FUnknown* object) {
  void* obj = nullptr;
  if (!object || object->queryInterface(I::iid.bytes, &obj) != kResultOk) return nullptr;
  return static_cast<I*>(obj);
}

std::string answer(tresult result) {
  switch (result) {
    case kResultOk:
      return "kResultOk";
    case kResultFalse:
      return "kResultFalse";
    case kInvalidArgument:
      return "kInvalidArgument";
    case kNotImplemented:
      return "kNotImplemented";
    case kNotInitialized:
      return "kNotInitialized";
    default:
      return std::to_string(result);
  }
}

// Appends to `problem` when `result` is not what was wanted.
void expect(std::string* problem, const char* call, tresult result, bool wantOk) {
  if (!problem->empty() || (result == kResultOk) == wantOk) return;
  *problem = std::string(call) + " answered " + answer(result) +
             (wantOk ? ", not kResultOk" : ", which should refuse it");
}

}  // namespace

std::unique_ptr<Vst3Instance> Vst3Context::instance(const std::string& check) {
  std::string error;
  auto made = Vst3Instance::open(module, &error);
  if (!made) report.fail(check, error);
  return made;
}

void validateVst3LifeCycle(Vst3Context& ctx) {
  {
    const std::string check = "life cycle in order, twice";
    auto p = ctx.instance(check);
    if (!p) return;
    std::string problem, error;
    for (int round = 0; round < 2 && problem.empty(); ++round) {
      if (!p->start(48000.0, 512, false, kRealtime, &error)) problem = error;
      Vst3Harness harness(*p, ctx.options.seed, 512, false);
      for (int b = 0; b < 20 && problem.empty(); ++b) problem = harness.block(512);
      p->stop();
    }
    ctx.report.result(check, problem,
                      "set-up, setActive, setProcessing, 20 blocks and back, two rounds");
  }
  {
    const std::string check = "life cycle out of order";
    std::string error;
    auto module = ctx.module.factory();
    const Vst3Class* processorClass = ctx.module.firstOf(kVstAudioEffectClass);
    void* obj = nullptr;
    std::string problem;
    if (!processorClass || module->createInstance(processorClass->cid.bytes, IComponent::iid.bytes,
                                                  &obj) != kResultOk) {
      ctx.report.fail(check, "no component");
      return;
    }
    auto* component = static_cast<IComponent*>(obj);
    IAudioProcessor* processor = query<IAudioProcessor>(component);
    HostApplication host;
    ProcessSetup setup{kRealtime, kSample32, 512, 48000.0};
    ProcessData empty{};
    if (processor) {
      // Before initialize, nothing but refusals.
      expect(&problem, "setupProcessing before initialize", processor->setupProcessing(setup),
             false);
      expect(&problem, "setActive before initialize", component->setActive(1), false);
      expect(&problem, "process before initialize", processor->process(empty), false);
    }
    expect(&problem, "initialize", component->initialize(&host), true);
    expect(&problem, "a second initialize", component->initialize(&host), false);
    if (!processor) processor = query<IAudioProcessor>(component);
    if (processor) {
      expect(&problem, "setActive before the set-up", component->setActive(1), false);
      expect(&problem, "setProcessing while inactive", processor->setProcessing(1), false);
      expect(&problem, "process while inactive", processor->process(empty), false);
      setup.sampleRate = 0.0;
      expect(&problem, "setupProcessing at 0 Hz", processor->setupProcessing(setup), false);
      setup.sampleRate = std::nan("");
      expect(&problem, "setupProcessing at NaN Hz", processor->setupProcessing(setup), false);
      setup.sampleRate = 48000.0;
      setup.symbolicSampleSize = 9;
      expect(&problem, "setupProcessing with sample size 9", processor->setupProcessing(setup),
             false);
      setup.symbolicSampleSize = kSample32;
      expect(&problem, "setupProcessing", processor->setupProcessing(setup), true);
      expect(&problem, "setActive", component->setActive(1), true);
      expect(&problem, "setupProcessing while active", processor->setupProcessing(setup), false);
      expect(&problem, "setProcessing", processor->setProcessing(1), true);
      // Backwards without setProcessing(false): a host tearing down in a hurry.
      expect(&problem, "setActive(false) while processing", component->setActive(0), true);
      expect(&problem, "setActive(false) again", component->setActive(0), true);
      expect(&problem, "setActive again", component->setActive(1), true);
      expect(&problem, "setProcessing(false)", processor->setProcessing(0), true);
      expect(&problem, "setActive(false)", component->setActive(0), true);
      processor->release();
    }
    // Terminate while active, then let go: the object must clean up itself.
    if (processor) {
      processor = query<IAudioProcessor>(component);
      processor->setupProcessing(setup);
      component->setActive(1);
      processor->release();
    }
    expect(&problem, "terminate while active", component->terminate(), true);
    expect(&problem, "setActive after terminate", component->setActive(1), false);
    component->release();
    if (problem.empty() && host.references() != 0)
      problem = "the component kept " + std::to_string(host.references()) +
                " references to the host's context after terminate";
    ctx.report.result(check, problem,
                      "refused before initialize and set-up, set-up only while inactive, "
                      "teardown from any state");
  }
}

void validateVst3Buses(Vst3Context& ctx) {
  const std::string check = "bus arrangements";
  auto p = ctx.instance(check);
  if (!p) return;
  IComponent* component = p->component();
  IAudioProcessor* processor = p->processor();
  std::string problem;
  if (component->getBusCount(kAudio, kInput) != 1 || component->getBusCount(kAudio, kOutput) != 1)
    problem = "not one audio bus each way";
  BusInfo bus{};
  expect(&problem, "getBusInfo(audio, out, 0)", component->getBusInfo(kAudio, kOutput, 0, bus),
         true);
  if (problem.empty() && bus.channelCount != 2) problem = "the output bus is not stereo";
  expect(&problem, "getBusInfo(audio, out, 1)", component->getBusInfo(kAudio, kOutput, 1, bus),
         false);
  expect(&problem, "getBusInfo(event, in, 0)", component->getBusInfo(kEvent, kInput, 0, bus),
         false);
  SpeakerArrangement stereo = kArrStereo, mono = kArrMono, surround = 0x3F, none = kArrEmpty;
  SpeakerArrangement two[2] = {kArrStereo, kArrStereo};
  const struct {
    const char* what;
    SpeakerArrangement* in;
    int32 ins;
    SpeakerArrangement* out;
    int32 outs;
    bool accepted;
  } cases[] = {{"stereo to stereo", &stereo, 1, &stereo, 1, true},
               {"mono to mono", &mono, 1, &mono, 1, false},
               {"mono to stereo", &mono, 1, &stereo, 1, false},
               {"stereo to mono", &stereo, 1, &mono, 1, false},
               {"5.1 to 5.1", &surround, 1, &surround, 1, false},
               {"empty arrangements", &none, 1, &none, 1, false},
               {"no buses", nullptr, 0, nullptr, 0, false},
               {"two buses each way", two, 2, two, 2, false}};
  for (const auto& c : cases) {
    const tresult result = processor->setBusArrangements(c.in, c.ins, c.out, c.outs);
    if (problem.empty() && (result == kResultTrue) != c.accepted)
      problem = std::string(c.what) + " answered " + answer(result);
    SpeakerArrangement now = 0;
    if (problem.empty() &&
        (processor->getBusArrangement(kOutput, 0, now) != kResultOk || now != kArrStereo))
      problem = std::string("after ") + c.what + " the output is no longer stereo";
  }
  if (problem.empty() && (processor->canProcessSampleSize(kSample32) != kResultTrue ||
                          processor->canProcessSampleSize(kSample64) != kResultTrue ||
                          processor->canProcessSampleSize(2) == kResultTrue))
    problem = "sample sizes: 32 and 64 bits wanted, nothing else";
  if (problem.empty() && processor->getLatencySamples() != 0) problem = "latency is not 0";
  ctx.report.result(check, problem, "one stereo bus each way, every other arrangement refused");
}

bool validateVst3Plugin(const std::string& path, const ValidateOptions& options,
                        ValidationReport& report) {
  std::string error;
  auto module = Vst3Module::load(path, &error);
  if (!module) {
    report.fail("load", error);
    return false;
  }
  {
    const Vst3Class* processorClass = module->firstOf(kVstAudioEffectClass);
    std::string problem;
    if (!processorClass)
      problem = "no class of category \"Audio Module Class\"";
    else if (processorClass->vendor.empty() || processorClass->version.empty())
      problem = "the processor class names no vendor or version";
    report.result("factory", problem,
                  std::to_string(module->classes().size()) + " classes, processor \"" +
                      (processorClass ? processorClass->name : "") + "\"");
  }
  const struct {
    const char* name;
    void (*run)(Vst3Context&);
  } groups[] = {{"life cycle", validateVst3LifeCycle},
                {"buses", validateVst3Buses},
                {"state", validateVst3State},
                {"texts", validateVst3Texts},
                {"process", validateVst3Processing},
                {"thread safety", validateVst3Threads},
                {"no allocation while processing", validateVst3Allocation},
                {"editor", validateVst3Editor}};
  for (const auto& group : groups) {
    auto run = [&](ValidationReport& into) {
      Vst3Context groupCtx{*module, options, into};
      group.run(groupCtx);
    };
    if (options.isolate)
      runIsolatedGroup(group.name, run, report, options.groupTimeoutSeconds);
    else
      run(report);
  }
  return true;
}

}  // namespace quillet::host::vst3
