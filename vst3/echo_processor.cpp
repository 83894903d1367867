#include "vst3/echo_processor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/echo_tail.h"
#include "vst3/class_ids.h"
#include "vst3/component_state.h"
#include "vst3/factory_programs.h"
#include "vst3/parameter_ids.h"
#include "vst3/stream_io.h"

namespace quillet::vst3 {

static_assert(quillet::core::kInfiniteTail == kInfiniteTail, "the core's endless tail is VST3's");

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

// Whether the host handed a bus with channels (its pointers may be null when
// it has none).
bool hasChannels(const AudioBusBuffers* buses, int32 count) {
  return count > 0 && buses && buses[0].numChannels > 0;
}

// The change index bypass takes in the block's change list.
constexpr int32 kBypassChange = core::kFirstFormatChange;

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
      offerInterface<IConnectionPoint>(iidBytes, this, obj) ||
      offerInterface<IProgramListData>(iidBytes, this, obj))
    return kResultOk;
  return noInterface(obj);
}

tresult EchoProcessor::initialize(FUnknown* context) {
  if (echo) return kResultFalse;  // initialised twice
  std::unique_ptr<double[]> dryFrames(new (std::nothrow) double[2 * kDryFrames]);
  std::unique_ptr<core::BlockChanges> changeList(new (std::nothrow) core::BlockChanges);
  std::shared_ptr<ProcessorLink> newLink(new (std::nothrow) ProcessorLink);
  if (!dryFrames || !changeList || !newLink) return kOutOfMemory;
  void* host = nullptr;
  if (context && context->queryInterface(IHostApplication::iid.bytes, &host) == kResultOk)
    hostApplication = static_cast<IHostApplication*>(host);
  echo.emplace();
  echo->spaceStretches(true);  // points at their frames (core/block_changes.h)
  dry = std::move(dryFrames);
  changes = std::move(changeList);
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
    firstSound.rearm();
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
  for (int32 i = 0; i < core::kNumQuilletParams; ++i) echo->setParameter(i, read.values[i]);
  if (read.hasBypass) bypassValue.store(read.bypassed ? 1.0f : 0.0f, std::memory_order_relaxed);
  return kResultOk;
}

tresult EchoProcessor::getState(IBStream* state) {
  if (!echo) return kNotInitialized;
  uint8 values[core::kStateBytes];
  echo->saveState(values);
  uint8 bytes[kStateWithBypassBytes];
  writeComponentState(values, bypassValue.load(std::memory_order_relaxed) > 0.5f, bytes);
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
  if (!core::EchoCore::isUsableSampleRate(setup.sampleRate) ||
      !echo->setSampleRate(setup.sampleRate))
    return kResultFalse;
  sampleRate = setup.sampleRate;
  fade.setSampleRate(sampleRate);
  link->sampleRate.store(sampleRate, std::memory_order_relaxed);
  return kResultOk;
}

tresult EchoProcessor::setProcessing(TBool /*state*/) { return active ? kResultOk : kResultFalse; }

void EchoProcessor::readParameterChanges(IParameterChanges* queues) {
  changes->clear();
  programChange = -1;
  if (!queues) return;
  const int32 count = queues->getParameterCount();
  for (int32 q = 0; q < count; ++q) {
    IParamValueQueue* queue = queues->getParameterData(q);
    if (!queue) continue;
    const ParamID id = queue->getParameterId();
    const int32 index = echoIndexOf(id);
    if (index < 0 && id != kBypassParamId && id != kProgramParamId) continue;
    const int32 points = queue->getPointCount();
    for (int32 p = 0; p < points; ++p) {
      int32 offset = 0;
      ParamValue value = 0;
      if (queue->getPoint(p, offset, value) != kResultOk || std::isnan(value)) continue;
      const auto frame = static_cast<uint32>(std::max(offset, 0));
      if (index >= 0) {
        changes->add(frame, index, static_cast<float>(value));
      } else if (id == kProgramParamId) {
        // The preset's values at the program change's frame.
        const int32 program = programOfValue(value);
        const core::FactoryPreset* preset = factoryProgram(program);
        for (int32 i = 0; i < core::kNumQuilletParams; ++i)
          changes->add(frame, i, preset->values[i]);
        programChange = program;
        programChangeFrame = static_cast<int32>(frame);
      } else {
        changes->add(frame, kBypassChange, value > 0.5 ? 1.0f : 0.0f);
      }
    }
  }
}

void EchoProcessor::reportProgramChange(IParameterChanges* out) {
  const core::FactoryPreset* preset = factoryProgram(programChange);
  if (!out || !preset) return;
  for (int32 i = 0; i < core::kNumQuilletParams; ++i) {
    int32 at = 0;
    IParamValueQueue* queue = out->addParameterData(core::kQuilletParams[i].id, at);
    if (queue) queue->addPoint(programChangeFrame, preset->values[i], at);
  }
}

void EchoProcessor::storeChange(const core::TimedChange& change) {
  if (change.index == kBypassChange) {
    bypassValue.store(change.value, std::memory_order_relaxed);
    fade.setBypassed(change.value > 0.5f);
  } else {
    echo->setParameter(change.index, change.value);
  }
}

// The block's pieces as the core splits it: each change stored, each piece
// run through the echo and the bypass fade.
template <class Sample>
class EchoProcessor::Pieces final : public core::PieceRunner {
 public:
  Pieces(EchoProcessor& processor, Sample** in, Sample** out)
      : processor(processor), in(in), out(out) {}
  void apply(const core::TimedChange& change) override { processor.storeChange(change); }
  void run(uint32 offset, uint32 frames) override {
    Sample* inPart[2] = {in[0] + offset, in[1] + offset};
    Sample* outPart[2] = {out[0] + offset, out[1] + offset};
    processor.processAudio(inPart, outPart, frames);
  }

 private:
  EchoProcessor& processor;
  Sample** in;
  Sample** out;
};

void EchoProcessor::storeChanges() {
  struct StoreOnly final : core::PieceRunner {
    explicit StoreOnly(EchoProcessor& processor) : processor(processor) {}
    void apply(const core::TimedChange& change) override { processor.storeChange(change); }
    void run(uint32, uint32) override {}
    EchoProcessor& processor;
  } store(*this);
  core::applyAll(*changes, store);
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
  const bool noOutput = !out && !hasChannels(data.outputs, data.numOutputs);
  const bool noInput = !in && !hasChannels(data.inputs, data.numInputs);
  if ((!out && !noOutput) || (!in && !noInput)) {
    // Buses that are not one stereo pair with its buffers: refused, but the
    // values still count.
    storeChanges();
    return kInvalidArgument;
  }
  if (!out) {  // no output bus (switched off): only the changes count
    storeChanges();
    echo->applyPendingStores();
    return kResultOk;
  }
  if (!in) {
    // No input bus (switched off): the echo runs on silence, in place.
    for (int c = 0; c < 2; ++c) std::fill(out[c], out[c] + frames, Sample(0));
    in = out;
  }
  if (firstSound.holds(*echo, in, frames)) {
    // Nothing has sounded yet: silence out, the values stored for the
    // first sound. Bypass switched meanwhile needs no fade.
    storeChanges();
    for (int c = 0; c < 2; ++c) std::fill(out[c], out[c] + frames, Sample(0));
    fade.jumpTo(fade.bypassed());
    data.outputs[0].silenceFlags = 0x3;
    return kResultOk;
  }
  Pieces<Sample> pieces(*this, in, out);
  runInPieces(*changes, frames, pieces);
  data.outputs[0].silenceFlags = 0;
  return kResultOk;
}

tresult EchoProcessor::process(ProcessData& data) {
  // Only between setActive(true) and setActive(false).
  if (!echo || !active) return kNotInitialized;
  if (data.processContext && (data.processContext->state & ProcessContext::kTempoValid))
    link->tempo.store(data.processContext->tempo, std::memory_order_relaxed);
  // A state restored on the user-interface thread may have moved the bypass.
  fade.setBypassed(bypassValue.load(std::memory_order_relaxed) > 0.5f);
  readParameterChanges(data.inputParameterChanges);
  reportProgramChange(data.outputParameterChanges);
  if (data.numSamples <= 0) {
    // Parameters only: taken in now, no audio block is run.
    storeChanges();
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

tresult EchoProcessor::programDataSupported(ProgramListID listId) {
  return listId == kFactoryProgramListId ? kResultTrue : kResultFalse;
}

tresult EchoProcessor::getProgramData(ProgramListID listId, int32 programIndex, IBStream* data) {
  const core::FactoryPreset* preset = factoryProgram(listId, programIndex);
  if (!preset || !data) return kInvalidArgument;
  uint8 bytes[core::kStateBytes];
  core::encodeState(preset->values, bytes);
  return writeStream(data, bytes, sizeof bytes) ? kResultOk : kResultFalse;
}

tresult EchoProcessor::notify(IMessage* message) { return message ? kResultOk : kInvalidArgument; }

}  // namespace quillet::vst3
