// The VST3 edition's processor and controller fed what a hostile host could
// hand them: the input split into a state stream (our 44 bytes, a VST 2
// hand-over or anything else, delivered in pieces) for setState and
// setComponentState, and the parameter changes of a few blocks (any IDs,
// point counts, offsets and values, NaN and infinities included), processed
// in 32 or 64 bits with 0 to 512 frames. Nothing may crash or read beyond
// its input; every output sample stays finite; a refused state changes
// nothing; every value the controller keeps lies in 0..1.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/vst3/host_objects.h"
#include "vst3/echo_controller.h"
#include "vst3/echo_processor.h"

using namespace quillet::vst3;
using quillet::vst3::testing::BlockChanges;
using quillet::vst3::testing::MemoryStream;

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

// Reads the fuzzer's bytes in order; zeros once they run out.
struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t byte() { return at < size ? data[at++] : 0; }
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
    return v;
  }
  double value() {
    // Mostly near 0..1, sometimes any bit pattern (NaN, infinities, huge).
    const uint8_t kind = byte();
    if (kind < 200) return (kind % 101) / 100.0 + (kind > 150 ? 0.5 : 0.0);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | byte();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
};

template <class I>
I* query(FUnknown* object) {
  void* obj = nullptr;
  require(object->queryInterface(I::iid.bytes, &obj) == kResultOk);
  return static_cast<I*>(obj);
}

std::vector<uint8> stateOf(IComponent* component) {
  MemoryStream saved;
  require(component->getState(&saved) == kResultOk);
  return saved.data;
}

template <class Sample>
void processBlock(IAudioProcessor* processor, BlockChanges& changes, int32 frames, int32 size) {
  static std::vector<Sample> buffers[4];
  for (auto& b : buffers) b.assign(512, Sample(0.25));
  Sample* in[2] = {buffers[0].data(), buffers[1].data()};
  Sample* out[2] = {buffers[2].data(), buffers[3].data()};
  AudioBusBuffers inBus{}, outBus{};
  inBus.numChannels = outBus.numChannels = 2;
  if constexpr (sizeof(Sample) == 8) {
    inBus.channelBuffers64 = in;
    outBus.channelBuffers64 = out;
  } else {
    inBus.channelBuffers32 = in;
    outBus.channelBuffers32 = out;
  }
  ProcessData data{};
  data.symbolicSampleSize = size;
  data.numSamples = frames;
  data.numInputs = data.numOutputs = frames > 0 ? 1 : 0;
  data.inputs = &inBus;
  data.outputs = &outBus;
  data.inputParameterChanges = &changes;
  require(processor->process(data) == kResultOk);
  for (int32 i = 0; i < frames; ++i) require(std::isfinite(out[0][i]) && std::isfinite(out[1][i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input{data, size};
  // The first two bytes: how much of the rest is the state, and its pieces.
  const size_t stateBytes =
      std::min<size_t>(size, (size_t{input.byte()} << 2) | (input.byte() & 3));
  const int32 piece = 1 + input.byte() % 64;
  const std::vector<uint8> state(data + input.at, data + std::min(size, input.at + stateBytes));
  input.at = std::min(size, input.at + stateBytes);

  FUnknown* made = EchoProcessor::create();
  auto* component = static_cast<IComponent*>(made);
  require(component->initialize(nullptr) == kResultOk);
  auto* processor = query<IAudioProcessor>(component);
  FUnknown* madeController = EchoController::create();
  auto* controller = static_cast<IEditController*>(madeController);
  require(controller->initialize(nullptr) == kResultOk);

  // The state, to both halves; a refusal leaves both as they were.
  const std::vector<uint8> before = stateOf(component);
  std::vector<ParamValue> shown;
  for (ParamID id : {0u, 3u, 10u, 100u}) shown.push_back(controller->getParamNormalized(id));
  MemoryStream forComponent(state), forController(state);
  forComponent.readLimit = forController.readLimit = piece;
  const tresult taken = component->setState(&forComponent);
  const tresult followed = controller->setComponentState(&forController);
  require(taken == followed);
  if (taken != kResultOk) {
    require(stateOf(component) == before);
    size_t k = 0;
    for (ParamID id : {0u, 3u, 10u, 100u})
      require(controller->getParamNormalized(id) == shown[k++]);
  }
  for (ParamID id = 0; id < 11; ++id) {
    const ParamValue v = controller->getParamNormalized(id);
    require(v >= 0.0 && v <= 1.0);
  }

  // Blocks of hostile parameter changes.
  const bool use64 = input.byte() & 1;
  ProcessSetup setup{kRealtime, use64 ? kSample64 : kSample32, 512, 4000.0 + input.byte() * 100.0};
  require(processor->setupProcessing(setup) == kResultOk);
  require(component->setActive(1) == kResultOk);
  processor->setProcessing(1);
  for (int block = 0; block < 4 && input.at < size; ++block) {
    BlockChanges changes;
    const int queues = input.byte() % 16;
    for (int q = 0; q < queues; ++q) {
      const uint8_t pick = input.byte();
      const ParamID id = pick < 200 ? pick % 12 : pick == 200 ? 100 : input.u32();
      std::vector<std::pair<int32, ParamValue>> points(input.byte() % 5);
      for (auto& p : points) {
        p.first = static_cast<int32>(input.u32());
        p.second = input.value();
      }
      changes.add(id, points);
      controller->setParamNormalized(id, points.empty() ? 0.5 : points.back().second);
    }
    const int32 frames = static_cast<int32>(input.u32() % 513);
    if (use64)
      processBlock<double>(processor, changes, frames, kSample64);
    else
      processBlock<float>(processor, changes, frames, kSample32);
    String128 text{};
    controller->getParamStringByValue(input.byte() % 12, input.value(), text);
  }
  const uint32 tail = processor->getTailSamples();
  (void)tail;
  processor->setProcessing(0);
  component->setActive(0);
  processor->release();
  component->terminate();
  component->release();
  controller->terminate();
  controller->release();
  return 0;
}
