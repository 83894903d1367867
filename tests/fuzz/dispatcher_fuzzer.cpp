// Any sequence of dispatcher calls, parameter changes and process blocks, as
// a careless host might send them, with well-formed arguments: text buffers
// large enough, structure pointers to zeroed records, chunks of the size
// announced. Built once per plug-in build; the editor build's panel opens in
// a headless window.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_effect.h"

#ifdef QUILLET_WITH_EDITOR
#include "platform/headless_window.h"
#include "platform/platform_window.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quillet::platform::setPlatformWindowFactory(quillet::platform::HeadlessWindow::create);
  return 0;
}
#endif

using namespace quillet::test;

namespace {

// Room for any record or text a host passes (the largest is a speaker
// arrangement of a few channels); aligned for the records.
struct alignas(16) HostBuffer {
  uint8_t bytes[16384];
};

VstInt32 someIndex(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? in.ConsumeIntegralInRange<VstInt32>(-2, 12)
                          : in.ConsumeIntegral<VstInt32>();
}

VstIntPtr someValue(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? in.ConsumeIntegralInRange<VstIntPtr>(-2, 4100)
                          : in.ConsumeIntegral<VstIntPtr>();
}

float someFloat(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return in.ConsumeProbability<float>();
    case 1:
      return static_cast<float>(in.ConsumeIntegralInRange<int>(0, 50000));
    default: {
      uint32_t bits = in.ConsumeIntegral<uint32_t>();
      float f;
      std::memcpy(&f, &bits, sizeof(f));
      return f;  // NaN and infinities among them
    }
  }
}

void dispatchOne(AEffect* e, FuzzedDataProvider& in, HostBuffer& buffer, int* fakeParent,
                 int* opensLeft) {
  VstInt32 opcode = in.ConsumeIntegralInRange<VstInt32>(-2, 82);
  if (opcode == effClose) opcode = effEditIdle;  // the sequence ends with the close
  // Building the panel decodes all its pictures: a few opens per sequence
  // leave time for many sequences.
  if (opcode == effEditOpen && (*opensLeft)-- <= 0) opcode = effEditIdle;
  const VstInt32 index = someIndex(in);
  VstIntPtr value = someValue(in);
  const float opt = someFloat(in);

  std::memset(buffer.bytes, 0, sizeof(buffer.bytes));
  void* ptr = buffer.bytes;
  void* first = nullptr;
  void* second = nullptr;
  std::vector<uint8_t> chunk;
  switch (opcode) {
    case effSetProgramName:
    case effString2Parameter:
    case effCanDo: {
      const std::string text = in.ConsumeRandomLengthString(300);
      std::memcpy(buffer.bytes, text.data(), text.size());  // zero-terminated by the memset
      break;
    }
    case effEditGetRect:
    case effGetChunk:
      ptr = &first;
      break;
    case effEditOpen:
      ptr = in.ConsumeBool() ? static_cast<void*>(fakeParent) : nullptr;
      break;
    case effSetChunk:
      chunk = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 64));
      value = static_cast<VstIntPtr>(chunk.size());
      ptr = chunk.empty() ? nullptr : chunk.data();
      break;
    case effSetSpeakerArrangement: {
      // Input and output arrangements: the channel counts are the host's word.
      VstSpeakerArrangement* a = reinterpret_cast<VstSpeakerArrangement*>(buffer.bytes);
      VstSpeakerArrangement* b = reinterpret_cast<VstSpeakerArrangement*>(buffer.bytes + 8192);
      a->numChannels = in.ConsumeIntegralInRange<VstInt32>(-1, 8);
      b->numChannels = in.ConsumeIntegralInRange<VstInt32>(-1, 8);
      value = reinterpret_cast<VstIntPtr>(a);
      ptr = b;
      break;
    }
    case effGetSpeakerArrangement:
      value = reinterpret_cast<VstIntPtr>(&first);
      ptr = &second;
      break;
    default:
      if (in.ConsumeIntegralInRange<int>(0, 7) == 0) ptr = nullptr;
      break;
  }
  call(e, opcode, index, value, ptr, opt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  static HostBuffer buffer;
  static int fakeParent = 0;
  AEffect* e = openEffect();
  Stereo<float> single;
  Stereo<double> twice;
  int calls = 0;
  int opensLeft = 3;
  while (in.remaining_bytes() > 0 && calls++ < 200) {
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
      case 0:
        e->setParameter(e, someIndex(in), someFloat(in));
        break;
      case 1: {
        const float v = e->getParameter(e, someIndex(in));
        if (!(v >= 0.0f && v <= 1.0f)) std::abort();
        break;
      }
      case 2:
        processBlock(e, single, in.ConsumeIntegralInRange<int>(0, kMaxFrames));
        break;
      case 3:
        processBlock(e, twice, in.ConsumeIntegralInRange<int>(0, kMaxFrames));
        break;
      case 4:
        // What hosts do first, with any rate.
        call(e, effSetSampleRate, 0, 0, nullptr, in.ConsumeBool() ? 8000.0f : someFloat(in));
        break;
      default:
        dispatchOne(e, in, buffer, &fakeParent, &opensLeft);
        break;
    }
  }
  closeEffect(e);
  return 0;
}
