#include "host/plugin/vst3/vst3_instance.h"

#include <cstring>

namespace quillet::host::vst3 {

namespace {

template <class I>
I* query(FUnknown* object) {
  void* obj = nullptr;
  if (!object || object->queryInterface(I::iid.bytes, &obj) != kResultOk) return nullptr;
  return static_cast<I*>(obj);
}

template <class I>
void releaseNow(I*& object) {
  if (object) object->release();
  object = nullptr;
}

}  // namespace

std::unique_ptr<Vst3Instance> Vst3Instance::open(const Vst3Module& module, std::string* error) {
  const Vst3Class* processorClass = module.firstOf(kVstAudioEffectClass);
  if (!processorClass) {
    *error = module.modulePath() + " lists no audio processor class";
    return nullptr;
  }
  std::unique_ptr<Vst3Instance> instance(new Vst3Instance);
  Vst3Instance& p = *instance;
  void* obj = nullptr;
  if (module.factory()->createInstance(processorClass->cid.bytes, IComponent::iid.bytes, &obj) !=
          kResultOk ||
      !obj) {
    *error = "the factory made no component of \"" + processorClass->name + "\"";
    return nullptr;
  }
  p.comp = static_cast<IComponent*>(obj);
  if (p.comp->initialize(&p.application) != kResultOk) {
    releaseNow(p.comp);  // a failed initialize is answered with release alone
    *error = "the component's initialize failed";
    return nullptr;
  }
  p.proc = query<IAudioProcessor>(p.comp);
  if (!p.proc) {
    *error = "the component is no audio processor";
    return nullptr;
  }

  // The controller: the component itself, or the class it names.
  p.ctrl = query<IEditController>(p.comp);
  p.controllerIsComponent = p.ctrl != nullptr;
  char8 controllerId[16] = {};
  if (!p.ctrl && p.comp->getControllerClassId(controllerId) == kResultOk) {
    obj = nullptr;
    if (module.factory()->createInstance(controllerId, IEditController::iid.bytes, &obj) ==
            kResultOk &&
        obj) {
      p.ctrl = static_cast<IEditController*>(obj);
      if (p.ctrl->initialize(&p.application) != kResultOk) {
        releaseNow(p.ctrl);
        *error = "the controller's initialize failed";
        return nullptr;
      }
    }
  }
  if (p.ctrl) {
    p.ctrl->setComponentHandler(&p.componentHandler);
    if (!p.controllerIsComponent) {
      p.compPoint = query<IConnectionPoint>(p.comp);
      p.ctrlPoint = query<IConnectionPoint>(p.ctrl);
      if (p.compPoint && p.ctrlPoint) {
        p.compPoint->connect(p.ctrlPoint);
        p.ctrlPoint->connect(p.compPoint);
      }
    }
    // The controller follows the component's state from the start.
    MemoryStream state;
    if (p.comp->getState(&state) == kResultOk) {
      state.position = 0;
      p.ctrl->setComponentState(&state);
    }
  }
  return instance;
}

Vst3Instance::~Vst3Instance() {
  stop();
  if (compPoint && ctrlPoint) {
    ctrlPoint->disconnect(compPoint);
    compPoint->disconnect(ctrlPoint);
  }
  releaseNow(compPoint);
  releaseNow(ctrlPoint);
  if (ctrl) {
    ctrl->setComponentHandler(nullptr);
    if (!controllerIsComponent) ctrl->terminate();
  }
  releaseNow(ctrl);
  releaseNow(proc);
  if (comp) comp->terminate();
  releaseNow(comp);
}

bool Vst3Instance::start(double sampleRate, int32 maxBlock, bool doublePrecision, int32 processMode,
                         std::string* error) {
  stop();
  SpeakerArrangement in = kArrStereo, out = kArrStereo;
  if (proc->setBusArrangements(&in, 1, &out, 1) != kResultTrue) {
    *error = "the plug-in refuses one stereo bus each way";
    return false;
  }
  sampleSize = doublePrecision ? kSample64 : kSample32;
  if (proc->canProcessSampleSize(sampleSize) != kResultTrue) {
    *error = doublePrecision ? "the plug-in does not offer 64-bit processing"
                             : "the plug-in does not offer 32-bit processing";
    return false;
  }
  ProcessSetup setup{processMode, sampleSize, maxBlock, sampleRate};
  if (proc->setupProcessing(setup) != kResultOk) {
    *error = "the plug-in refuses the set-up at " + std::to_string(sampleRate) + " Hz";
    return false;
  }
  rate = sampleRate;
  mode = processMode;
  comp->activateBus(kAudio, kInput, 0, 1);
  comp->activateBus(kAudio, kOutput, 0, 1);
  if (comp->setActive(1) != kResultOk) {
    *error = "the plug-in refuses to become active";
    return false;
  }
  proc->setProcessing(1);
  running = true;
  return true;
}

void Vst3Instance::stop() {
  if (!running) return;
  proc->setProcessing(0);
  comp->setActive(0);
  running = false;
}

template <class Sample>
tresult Vst3Instance::processBlock(Sample** in, Sample** out, int32 frames, int32 size) {
  AudioBusBuffers inBus{}, outBus{};
  inBus.numChannels = outBus.numChannels = 2;
  if constexpr (sizeof(Sample) == sizeof(double)) {
    inBus.channelBuffers64 = reinterpret_cast<Sample64**>(in);
    outBus.channelBuffers64 = reinterpret_cast<Sample64**>(out);
  } else {
    inBus.channelBuffers32 = reinterpret_cast<Sample32**>(in);
    outBus.channelBuffers32 = reinterpret_cast<Sample32**>(out);
  }
  context = ProcessContext{};
  context.state = ProcessContext::kTempoValid | ProcessContext::kPlaying;
  context.sampleRate = rate;
  context.projectTimeSamples = position;
  context.continousTimeSamples = position;
  context.tempo = tempo;
  context.timeSigNumerator = 4;
  context.timeSigDenominator = 4;
  context.projectTimeMusic = static_cast<double>(position) / rate * tempo / 60.0;
  outgoing.clear();
  ProcessData data{};
  data.processMode = mode;
  data.symbolicSampleSize = size;
  data.numSamples = frames;
  data.numInputs = data.numOutputs = frames > 0 ? 1 : 0;
  data.inputs = frames > 0 ? &inBus : nullptr;
  data.outputs = frames > 0 ? &outBus : nullptr;
  data.inputParameterChanges = &pending;
  data.outputParameterChanges = &outgoing;
  data.processContext = &context;
  const tresult result = proc->process(data);
  pending.clear();
  return result;
}

tresult Vst3Instance::process(float** in, float** out, int32 frames) {
  return processBlock(in, out, frames, kSample32);
}

tresult Vst3Instance::process(double** in, double** out, int32 frames) {
  return processBlock(in, out, frames, kSample64);
}

bool Vst3Instance::saveState(std::vector<uint8>* bytes) {
  MemoryStream stream;
  if (comp->getState(&stream) != kResultOk) return false;
  *bytes = std::move(stream.data);
  return true;
}

bool Vst3Instance::restoreState(const std::vector<uint8>& bytes, std::string* error) {
  MemoryStream forComponent(bytes);
  if (comp->setState(&forComponent) != kResultOk) {
    *error = "the plug-in refuses the state (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  if (ctrl) {
    MemoryStream forController(bytes);
    ctrl->setComponentState(&forController);
  }
  return true;
}

int32 Vst3Instance::parameterCount() const { return ctrl ? ctrl->getParameterCount() : 0; }

bool Vst3Instance::parameterInfo(int32 index, ParameterInfo* info) const {
  return ctrl && ctrl->getParameterInfo(index, *info) == kResultOk;
}

}  // namespace quillet::host::vst3
