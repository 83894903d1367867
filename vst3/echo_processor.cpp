#include "vst3/echo_processor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/echo_tail.h"
#include "vst3/class_ids.h"
#include "vst3/component_state.h"
#include "vst3/parameter_ids.h"
#include "vst3/stream_io.h"

namespace quillet::vst3 {

static_assert(quillet::kInfiniteTail == kInfiniteTail, "the core's endless tail is VST3's");

namespace {

void copyName(String128 to, const char* from) {
  int i = 0;
  for (; from[i] && i < 127; ++i) to[i] = static_cast<char16>(from[i]);
  for (; i < 128; ++i) to[i] = 0;
}

float** buffers32(AudioBusBuffers& bus) { return bus.channelBuffers32; }
double** buffers64(AudioBusBuffers& bus) { return bus.channelBuffers64; }

// The stereo pair of a block's first bus; null when the host's buffers are not one.
template <class Sample>
Sample** stereoPair(AudioBusBuffers* buses, int32 count, Sample** (*buffers)(AudioBusBuffers&)) {
  if (count < 1 || !buses || buses[0].numChannels != 2) return nullptr;
  Sample** channels = buffers(buses[0]);
  return channels && channels[0] && channels[1] ? channels : nullptr;
}

template <class Sample>
bool isSilent(Sample* const* in, uint32 frames) {
  for (int c = 0; c < 2; ++c)
    for (uint32 i = 0; i < frames; ++i)
      if (in[c][i] != Sample(0)) return false;
  return true;
}

}  // namespace

FUnknown* EchoProcessor::create() {
  auto* processor = new (std::nothrow) EchoProcessor;
  return processor ? static_cast<IComponent*>(processor) : nullptr;
}

EchoProcessor::~EchoProcessor() { terminate(); }

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

tresult EchoProcessor::initialize(FUnknown* context) {
  if (echo) return kResultFalse;  // initialised twice
  std::unique_ptr<double[]> dryFrames(new (std::nothrow) double[2 * kDryFrames]);
  std::shared_ptr<ProcessorLink> newLink(new (std::nothrow) ProcessorLink);
  if (!dryFrames || !newLink) return kOutOfMemory;
  void* host = nullptr;
  if (context && context->queryInterface(IHostApplication::iid.bytes, &host) == kResultOk)
    hostApplication = static_cast<IHostApplication*>(host);
  echo.emplace();
  dry = std::move(dryFrames);
  link = std::move(newLink);
  linkToken = publishLink(link);
  return kResultOk;
}

tresult EchoProcessor::terminate() {
  if (linkToken) withdrawLink(linkToken);
  linkToken = 0;
  link.reset();
  if (hostApplication) hostApplication->release();
  hostApplication = nullptr;
  peer = nullptr;
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
  if (active) {
    // A fresh start: empty lines on the stored values, bypass where it stands.
    echo->restart();
    fade.jumpTo(bypassValue.load(std::memory_order_relaxed) > 0.5f);
    stateLoaded.store(false, std::memory_order_relaxed);
    unheard = true;
    restartAtSound = false;
  }
  return kResultOk;
}

tresult EchoProcessor::setState(IBStream* state) {
  if (!echo) return kNotInitialized;
  std::vector<uint8> bytes;
  ComponentState read;
  if (!readWholeStream(state, kMaxStateStreamBytes, &bytes) ||
      !readComponentState(bytes.data(), bytes.size(), &read))
    return kResultFalse;
  for (int32 i = 0; i < kNumQuilletParams; ++i) echo->setParameter(i, read.values[i]);
  if (read.hasBypass) bypassValue.store(read.bypassed ? 1.0f : 0.0f, std::memory_order_relaxed);
  stateLoaded.store(true, std::memory_order_release);
  return kResultOk;
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
  // The core's one rule for rates; the memory for the rate is taken here.
  if (!EchoCore::isUsableSampleRate(setup.sampleRate) || !echo->setSampleRate(setup.sampleRate))
    return kResultFalse;
  sampleRate = setup.sampleRate;
  fade.setSampleRate(sampleRate);
  link->sampleRate.store(sampleRate, std::memory_order_relaxed);
  return kResultOk;
}

tresult EchoProcessor::setProcessing(TBool /*state*/) { return active ? kResultOk : kResultFalse; }

bool EchoProcessor::applyParameterChanges(IParameterChanges* changes) {
  if (!changes) return false;
  float last[kNumQuilletParams];
  bool changed[kNumQuilletParams] = {};
  bool any = false;
  const int32 queues = changes->getParameterCount();
  for (int32 q = 0; q < queues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 points = queue->getPointCount();
    int32 offset = 0;
    ParamValue value = 0;
    if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultOk) continue;
    if (std::isnan(value)) continue;
    const ParamID id = queue->getParameterId();
    const int32 index = echoIndexOf(id);
    if (index >= 0) {
      last[index] = static_cast<float>(value);
      changed[index] = true;
    } else if (id == kBypassParamId) {
      bypassValue.store(value > 0.5 ? 1.0f : 0.0f, std::memory_order_relaxed);
      any = true;
    }
  }
  for (int32 i = 0; i < kNumQuilletParams; ++i) {
    if (!changed[i]) continue;
    echo->setParameter(i, last[i]);
    any = true;
  }
  return any;
}

template <class Sample>
void EchoProcessor::processAudio(Sample** in, Sample** out, uint32 frames) {
  if (fade.passesEcho()) {
    echo->process(in, out, frames);
    return;
  }
  // Bypassed or fading: the echo runs on, and the input is kept, since the
  // echo may write over it.
  double* keep[2] = {dry.get(), dry.get() + kDryFrames};
  for (uint32 done = 0; done < frames;) {
    const uint32 n = std::min(frames - done, kDryFrames);
    Sample* inPart[2] = {in[0] + done, in[1] + done};
    Sample* outPart[2] = {out[0] + done, out[1] + done};
    for (int c = 0; c < 2; ++c)
      for (uint32 i = 0; i < n; ++i) keep[c][i] = static_cast<double>(inPart[c][i]);
    echo->process(inPart, outPart, n);
    fade.mix(outPart, keep, n);
    done += n;
  }
}

template <class Sample>
tresult EchoProcessor::processBuses(ProcessData& data, Sample** (*buffers)(AudioBusBuffers&)) {
  const auto frames = static_cast<uint32>(data.numSamples);
  Sample** out = stereoPair<Sample>(data.outputs, data.numOutputs, buffers);
  Sample** in = stereoPair<Sample>(data.inputs, data.numInputs, buffers);
  const bool noOutput = !out && !(data.numOutputs > 0 && data.outputs[0].numChannels > 0);
  const bool noInput = !in && !(data.numInputs > 0 && data.inputs[0].numChannels > 0);
  if ((!out && !noOutput) || (!in && !noInput)) {
    takeChanges(data);
    return kInvalidArgument;
  }
  if (!out) {  // no output bus (switched off): only the changes count
    takeChanges(data);
    echo->applyPendingStores();
    return kResultOk;
  }
  if (!in) {
    // No input bus (switched off): the echo runs on silence, in place.
    for (int c = 0; c < 2; ++c) std::fill(out[c], out[c] + frames, Sample(0));
    in = out;
  }
  // The first sound since activation: what was stored before it is taken
  // as if stored before activation. Changes that come with this block are
  // automation as usual.
  if (unheard && !isSilent(in, frames)) {
    unheard = false;
    if (restartAtSound) echo->restart();
    restartAtSound = false;
  }
  takeChanges(data);
  if (unheard) {
    // Nothing has sounded yet, so the echo holds nothing: silence in,
    // silence out, and the echo waits for the first sound unmoved (however
    // long a host runs before it, the echo starts from the same place).
    // Bypass switched meanwhile needs no fade: nothing has been heard.
    for (int c = 0; c < 2; ++c) std::fill(out[c], out[c] + frames, Sample(0));
    fade.jumpTo(fade.bypassed());
    return kResultOk;
  }
  processAudio(in, out, frames);
  data.outputs[0].silenceFlags = 0;
  return kResultOk;
}

void EchoProcessor::takeChanges(ProcessData& data) {
  if (applyParameterChanges(data.inputParameterChanges) && unheard) restartAtSound = true;
  fade.setBypassed(bypassValue.load(std::memory_order_relaxed) > 0.5f);
}

tresult EchoProcessor::process(ProcessData& data) {
  // Only between setActive(true) and setActive(false).
  if (!echo || !active) return kNotInitialized;
  if (data.processContext && (data.processContext->state & ProcessContext::kTempoValid))
    link->tempo.store(data.processContext->tempo, std::memory_order_relaxed);
  // A state restored on the user-interface thread since the last block.
  if (stateLoaded.exchange(false, std::memory_order_acquire) && unheard) restartAtSound = true;
  if (data.numSamples <= 0) {
    // Parameters only: taken in now, no audio block is run.
    takeChanges(data);
    echo->applyPendingStores();
    return kResultOk;
  }
  return data.symbolicSampleSize == kSample64 ? processBuses<double>(data, buffers64)
                                              : processBuses<float>(data, buffers32);
}

uint32 EchoProcessor::getTailSamples() { return echo ? echo->tailFrames() : kNoTail; }

void EchoProcessor::sendLinkToken(IConnectionPoint* other) {
  if (!hostApplication || !linkToken) return;
  void* made = nullptr;
  char8 messageId[16];
  char8 interfaceId[16];
  std::memcpy(messageId, IMessage::iid.bytes, 16);
  std::memcpy(interfaceId, IMessage::iid.bytes, 16);
  if (hostApplication->createInstance(messageId, interfaceId, &made) != kResultOk || !made) return;
  auto* message = static_cast<IMessage*>(made);
  message->setMessageID(kLinkMessageId);
  if (IAttributeList* attributes = message->getAttributes()) {
    attributes->setInt(kLinkTokenAttribute, linkToken);
    other->notify(message);
  }
  message->release();
}

tresult EchoProcessor::connect(IConnectionPoint* other) {
  if (!other) return kInvalidArgument;
  if (peer) return kResultFalse;
  peer = other;
  sendLinkToken(other);
  return kResultOk;
}

tresult EchoProcessor::disconnect(IConnectionPoint* other) {
  if (!other || other != peer) return kInvalidArgument;
  peer = nullptr;
  return kResultOk;
}

tresult EchoProcessor::notify(IMessage* message) { return message ? kResultOk : kInvalidArgument; }

}  // namespace quillet::vst3
