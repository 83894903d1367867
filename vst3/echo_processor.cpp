#include "vst3/echo_processor.h"

#include <cmath>
#include <cstring>
#include <new>

#include "vst3/class_ids.h"
#include "vst3/parameter_ids.h"
#include "vst3/stream_io.h"

namespace quillet::vst3 {

namespace {

void copyName(String128 to, const char* from) {
  int i = 0;
  for (; from[i] && i < 127; ++i) to[i] = static_cast<char16>(from[i]);
  for (; i < 128; ++i) to[i] = 0;
}

// The stereo pair a bus carries for one block, or false when the host's
// buffers do not describe one.
template <class Sample>
bool stereoPair(const AudioBusBuffers* buses, int32 count, Sample** (*pick)(AudioBusBuffers&)) {
  if (count < 1 || !buses || buses[0].numChannels != 2) return false;
  Sample** channels = pick(const_cast<AudioBusBuffers&>(buses[0]));
  return channels && channels[0] && channels[1];
}

float** buffers32(AudioBusBuffers& bus) { return bus.channelBuffers32; }
double** buffers64(AudioBusBuffers& bus) { return bus.channelBuffers64; }

}  // namespace

FUnknown* EchoProcessor::create() {
  auto* processor = new (std::nothrow) EchoProcessor;
  return processor ? static_cast<IComponent*>(processor) : nullptr;
}

EchoProcessor::~EchoProcessor() = default;

uint32 EchoProcessor::release() {
  const uint32 left = refs.drop();
  if (left == 0) delete this;
  return left;
}

tresult EchoProcessor::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj || !iidBytes) return kInvalidArgument;
  if (FUnknown::iid.equals(iidBytes) || IPluginBase::iid.equals(iidBytes)) {
    addRef();
    *obj = static_cast<IComponent*>(this);
    return kResultOk;
  }
  if (offerInterface<IComponent>(iidBytes, this, obj) ||
      offerInterface<IAudioProcessor>(iidBytes, this, obj) ||
      offerInterface<IProcessContextRequirements>(iidBytes, this, obj) ||
      offerInterface<IConnectionPoint>(iidBytes, this, obj))
    return kResultOk;
  return noInterface(obj);
}

tresult EchoProcessor::initialize(FUnknown* /*context*/) {
  if (echo) return kResultFalse;  // initialised twice
  echo.reset(new (std::nothrow) EchoCore);
  return echo ? kResultOk : kOutOfMemory;
}

tresult EchoProcessor::terminate() {
  echo.reset();
  active = false;
  sampleRate = 0;
  return kResultOk;
}

tresult EchoProcessor::getControllerClassId(char8 classId[16]) {
  if (!classId) return kInvalidArgument;
  std::memcpy(classId, kControllerClassId.bytes, 16);
  return kResultOk;
}

tresult EchoProcessor::setIoMode(IoMode /*mode*/) { return kResultOk; }

int32 EchoProcessor::getBusCount(MediaType type, BusDirection dir) {
  return type == kAudio && (dir == kInput || dir == kOutput) ? 1 : 0;
}

tresult EchoProcessor::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) {
  if (type != kAudio || index != 0 || (dir != kInput && dir != kOutput)) return kInvalidArgument;
  bus.mediaType = kAudio;
  bus.direction = dir;
  bus.channelCount = 2;
  copyName(bus.name, dir == kInput ? "Stereo In" : "Stereo Out");
  bus.busType = kMain;
  bus.flags = BusInfo::kDefaultActive;
  return kResultOk;
}

tresult EchoProcessor::getRoutingInfo(RoutingInfo& /*inInfo*/, RoutingInfo& /*outInfo*/) {
  return kNotImplemented;
}

tresult EchoProcessor::activateBus(MediaType type, BusDirection dir, int32 index, TBool /*state*/) {
  return type == kAudio && index == 0 && (dir == kInput || dir == kOutput) ? kResultOk
                                                                           : kInvalidArgument;
}

tresult EchoProcessor::setActive(TBool state) {
  if (!echo) return kNotInitialized;
  if (state && sampleRate <= 0) return kResultFalse;  // no setupProcessing yet
  active = state != 0;
  if (active) echo->restart();
  return kResultOk;
}

tresult EchoProcessor::setState(IBStream* state) {
  if (!echo) return kNotInitialized;
  uint8 bytes[kStateBytes + 1];
  const size_t size = readStream(state, bytes, sizeof bytes);
  // Our own state is exactly the 44 bytes; a longer stream is something else.
  if (size != kStateBytes) return kResultFalse;
  return echo->loadStateStrict(bytes, size) ? kResultOk : kResultFalse;
}

tresult EchoProcessor::getState(IBStream* state) {
  if (!echo) return kNotInitialized;
  uint8 bytes[kStateBytes];
  echo->saveState(bytes);
  return writeStream(state, bytes, sizeof bytes) ? kResultOk : kResultFalse;
}

tresult EchoProcessor::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                          SpeakerArrangement* outputs, int32 numOuts) {
  if (active) return kResultFalse;
  const bool stereo = numIns == 1 && numOuts == 1 && inputs && outputs && inputs[0] == kArrStereo &&
                      outputs[0] == kArrStereo;
  return stereo ? kResultTrue : kResultFalse;
}

tresult EchoProcessor::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) {
  if (index != 0 || (dir != kInput && dir != kOutput)) return kInvalidArgument;
  arr = kArrStereo;
  return kResultOk;
}

tresult EchoProcessor::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue
                                                                            : kResultFalse;
}

tresult EchoProcessor::setupProcessing(ProcessSetup& setup) {
  if (!echo) return kNotInitialized;
  if (active) return kResultFalse;
  if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  if (!EchoCore::isUsableSampleRate(setup.sampleRate) || !echo->setSampleRate(setup.sampleRate))
    return kResultFalse;
  sampleRate = setup.sampleRate;
  sampleSize = setup.symbolicSampleSize;
  return kResultOk;
}

tresult EchoProcessor::setProcessing(TBool /*state*/) { return active ? kResultOk : kResultFalse; }

void EchoProcessor::applyParameterChanges(IParameterChanges* changes) {
  if (!changes) return;
  float last[kNumQuilletParams];
  bool changed[kNumQuilletParams] = {};
  const int32 queues = changes->getParameterCount();
  for (int32 q = 0; q < queues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 points = queue->getPointCount();
    int32 offset = 0;
    ParamValue value = 0;
    if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultOk) continue;
    const ParamID id = queue->getParameterId();
    if (std::isnan(value)) continue;
    const int32 index = echoIndexOf(id);
    if (index >= 0) {
      last[index] = static_cast<float>(value);
      changed[index] = true;
    } else if (id == kBypassParamId) {
      bypassed = value > 0.5;
    }
  }
  for (int32 i = 0; i < kNumQuilletParams; ++i)
    if (changed[i]) echo->setParameter(i, last[i]);
}

template <class Sample>
void EchoProcessor::processBuses(ProcessData& data, Sample** in, Sample** out) {
  const auto frames = static_cast<uint32>(data.numSamples);
  if (bypassed) {
    for (int c = 0; c < 2; ++c)
      if (out[c] != in[c]) std::memmove(out[c], in[c], frames * sizeof(Sample));
    return;
  }
  echo->process(in, out, frames);
}

tresult EchoProcessor::process(ProcessData& data) {
  if (!echo || sampleRate <= 0) return kNotInitialized;
  if (data.processContext && (data.processContext->state & ProcessContext::kTempoValid))
    tempo.store(data.processContext->tempo, std::memory_order_relaxed);
  applyParameterChanges(data.inputParameterChanges);
  if (data.numSamples <= 0) return kResultOk;  // a parameter flush
  if (data.symbolicSampleSize == kSample64) {
    if (!stereoPair<double>(data.inputs, data.numInputs, buffers64) ||
        !stereoPair<double>(data.outputs, data.numOutputs, buffers64))
      return kInvalidArgument;
    processBuses<double>(data, data.inputs[0].channelBuffers64, data.outputs[0].channelBuffers64);
  } else {
    if (!stereoPair<float>(data.inputs, data.numInputs, buffers32) ||
        !stereoPair<float>(data.outputs, data.numOutputs, buffers32))
      return kInvalidArgument;
    processBuses<float>(data, data.inputs[0].channelBuffers32, data.outputs[0].channelBuffers32);
  }
  data.outputs[0].silenceFlags = 0;
  return kResultOk;
}

uint32 EchoProcessor::getTailSamples() { return echo ? echo->tailFrames() : kNoTail; }

tresult EchoProcessor::connect(IConnectionPoint* other) {
  if (!other) return kInvalidArgument;
  if (peer) return kResultFalse;
  peer = other;
  return kResultOk;
}

tresult EchoProcessor::disconnect(IConnectionPoint* other) {
  if (!other || other != peer) return kInvalidArgument;
  peer = nullptr;
  return kResultOk;
}

tresult EchoProcessor::notify(IMessage* message) { return message ? kResultOk : kInvalidArgument; }

}  // namespace quillet::vst3
